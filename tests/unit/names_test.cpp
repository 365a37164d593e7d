// The one ordering of sorted name sequences and the case-insensitive comparisons.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/names.h"

using platform::CompareNames;
using platform::SameText;
using platform::UpperCase;

TEST(Names, OrderIgnoresCaseButNeverMergesDifferentNames) {
  EXPECT_EQ(CompareNames("Software", "SOFTWARE"), 0);
  EXPECT_LT(CompareNames("alpha", "Beta"), 0);
  EXPECT_GT(CompareNames("beta", "Alpha"), 0);
  // Names the locale may call equal but that are different names must not be 0.
  EXPECT_NE(CompareNames("co-op", "coop"), 0);
  EXPECT_NE(CompareNames("a\xC2\xAD" "b", "ab"), 0);  // soft hyphen
  EXPECT_EQ(CompareNames("co-op", "coop"), -CompareNames("coop", "co-op"));
}

TEST(Names, OrderIsATotalOrderForSorting) {
  std::vector<std::string> names = {"Zebra", "äpfel", "Apfel", "apfel", "Ärger", "_x", "10", "9", "Öl", "Ol"};
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return CompareNames(a, b) < 0; });
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    EXPECT_LE(CompareNames(names[i], names[i + 1]), 0) << names[i] << " " << names[i + 1];
    EXPECT_GE(CompareNames(names[i + 1], names[i]), 0);
  }
  const auto zebra = std::find(names.begin(), names.end(), "Zebra");
  const auto apfel = std::find(names.begin(), names.end(), "Apfel");
  EXPECT_LT(apfel, zebra);
}

TEST(Names, SameTextAndUpperCase) {
  EXPECT_TRUE(SameText("HKEY_Local_Machine", "hkey_local_machine"));
  EXPECT_TRUE(SameText("Größe", "GRÖSSE") == false);  // ordinal: ß is not SS
  EXPECT_TRUE(SameText("übersicht", "ÜBERSICHT"));
  EXPECT_FALSE(SameText("abc", "abd"));
  EXPECT_FALSE(SameText("abc", "abcd"));
  EXPECT_EQ(UpperCase("c:\\programme\\größe.txt"), "C:\\PROGRAMME\\GRÖßE.TXT");
}

TEST(Names, SortByNameAgreesWithTheComparison) {
  // Long enough for the sort-key path; punctuation, umlauts, case and digits mixed.
  std::vector<std::wstring> names = {L"zeta", L"Äpfel", L"apfel", L"Apfel", L"_intern", L"{GUID-1}", L"co-op",
                                     L"coop", L"Z", L"10", L"9", L"a.b", L"a_b", L"a b", L"Öl", L"ol", L"ß",
                                     L"ss", L"", L"~x", L"CurrentControlSet", L"controlset001"};
  for (int round = 0; round < 3; ++round) {
    std::vector<std::wstring> sorted = names;
    platform::SortByName(sorted, [](const std::wstring& n) { return std::wstring_view(n); });
    for (size_t i = 0; i + 1 < sorted.size(); ++i)
      EXPECT_LE(platform::CompareNamesW(sorted[i], sorted[i + 1]), 0) << i;
    std::vector<std::wstring> check = sorted;
    std::sort(check.begin(), check.end());
    std::vector<std::wstring> all = names;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(check, all);  // nothing lost or doubled
    std::rotate(names.begin(), names.begin() + 7, names.end());
  }
}
