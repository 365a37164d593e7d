// UTF-8 inside, UTF-16 at the boundary, Windows-1252 for old bytes.
#include <gtest/gtest.h>

#include "platform/text.h"

using namespace platform;

TEST(Text, Utf8AndUtf16RoundTripEvenWithUnpairedSurrogates) {
  for (const std::string s : {"", "Größe", "\xE2\x82\xAC 5", "\xF0\x9F\x98\x80 Emoji", "日本語"})
    EXPECT_EQ(WideToUtf8(Utf8ToWide(s)), s);
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), (std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}));
  // The registry and file system allow names that are not valid UTF-16.
  const std::wstring odd = {L'a', wchar_t(0xD800), wchar_t(0xE000), wchar_t(0xDC01)};
  EXPECT_TRUE(IsValidUtf8(WideToUtf8(odd)));
  EXPECT_EQ(Utf8ToWide(WideToUtf8(odd)), odd);
}

TEST(Text, InvalidUtf8IsReadAsWindows1252) {
  for (const char* bad : {"\xFC", "\xC0\xAF" /* overlong */, "\xE2\x82" /* cut */, "\xF4\x90\x80\x80"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  EXPECT_EQ(LegacyToUtf8("Gr\xF6\xDF" "e"), "Größe");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x9F\x81"), "\xE2\x82\xAC\xC5\xB8\xC2\x81");  // € Ÿ and an unassigned byte
  EXPECT_EQ(LegacyToUtf8("Größe"), "Größe");  // valid UTF-8 is kept
  EXPECT_EQ(WideToUtf8(Utf8ToWide("M\xFCller")), "Müller");
}
