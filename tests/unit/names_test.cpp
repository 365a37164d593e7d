// The one ordering of sorted name sequences and the case-insensitive comparisons.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/names.h"

using namespace platform;

TEST(Names, OrderIgnoresCaseButNeverMergesDifferentNames) {
  EXPECT_EQ(CompareNames("Software", "SOFTWARE"), 0);
  EXPECT_LT(CompareNames("alpha", "Beta"), 0);
  // Names the locale may call equal but that are different names must not be 0.
  EXPECT_NE(CompareNames("co-op", "coop"), 0);
  EXPECT_NE(CompareNames("a\xC2\xAD" "b", "ab"), 0);  // soft hyphen
  EXPECT_EQ(CompareNames("co-op", "coop"), -CompareNames("coop", "co-op"));
  EXPECT_TRUE(SameText("HKEY_Local_Machine", "hkey_local_machine"));
  EXPECT_TRUE(SameText("übersicht", "ÜBERSICHT"));
  EXPECT_FALSE(SameText("Größe", "GRÖSSE"));  // ordinal: ß is not SS
  EXPECT_FALSE(SameText("abc", "abcd"));
  EXPECT_EQ(UpperCase("c:\\programme\\größe.txt"), "C:\\PROGRAMME\\GRÖßE.TXT");
}

TEST(Names, SortByNameAgreesWithTheComparison) {
  // Long enough for the sort-key path; punctuation, umlauts, case and digits mixed.
  std::vector<std::wstring> names = {L"zeta", L"Äpfel", L"apfel", L"Apfel", L"_intern", L"{GUID-1}", L"co-op",
                                     L"coop", L"Z", L"10", L"9", L"a.b", L"a_b", L"a b", L"Öl", L"ol", L"ß",
                                     L"ss", L"", L"~x", L"CurrentControlSet", L"controlset001"};
  std::vector<std::wstring> sorted = names;
  SortByName(sorted, [](const std::wstring& n) { return std::wstring_view(n); });
  for (size_t i = 0; i + 1 < sorted.size(); ++i) EXPECT_LE(CompareNamesW(sorted[i], sorted[i + 1]), 0) << i;
  std::sort(sorted.begin(), sorted.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(sorted, names);  // nothing lost or doubled
}
