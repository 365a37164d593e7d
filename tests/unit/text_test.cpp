// UTF-8 inside, UTF-16 at the boundary, Windows-1252 for old bytes.
#include <gtest/gtest.h>

#include "platform/text.h"

using platform::Cp1252ToUtf8;
using platform::IsValidUtf8;
using platform::LegacyToUtf8;
using platform::Utf8ToWide;
using platform::WideToUtf8;

TEST(Text, Utf8AndUtf16RoundTrip) {
  const std::string samples[] = {"", "Arbeitsplatz", "Größe", "\xE2\x82\xAC 5", "\xF0\x9F\x98\x80 Emoji",
                                 "日本語"};
  for (const auto& s : samples) EXPECT_EQ(WideToUtf8(Utf8ToWide(s)), s);
  EXPECT_EQ(Utf8ToWide("\xC3\xBC"), std::wstring(1, wchar_t(0xFC)));
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80").size(), 2u);  // a surrogate pair
}

TEST(Text, UnpairedSurrogatesInNamesSurviveTheRoundTrip) {
  // The registry and file system allow names that are not valid UTF-16.
  const std::wstring odd = {L'a', wchar_t(0xD800), L'b', wchar_t(0xDC01)};
  const std::string utf8 = WideToUtf8(odd);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWide(utf8), odd);
}

TEST(Text, InvalidUtf8IsReadAsWindows1252) {
  EXPECT_FALSE(IsValidUtf8("\xFC"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_EQ(LegacyToUtf8("Gr\xF6\xDF" "e"), "Größe");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x9F\x81"), "\xE2\x82\xAC\xC5\xB8\xC2\x81");  // € Ÿ and an unassigned byte
  EXPECT_EQ(LegacyToUtf8("Größe"), "Größe");  // valid UTF-8 is kept
  EXPECT_EQ(WideToUtf8(Utf8ToWide("M\xFCller")), "Müller");
}
