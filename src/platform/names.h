// Name comparison: the one ordering every sorted name sequence uses.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Orders two names as the user's locale does without regard to case; when the
// locale calls them equal although they differ in more than letter case, the
// ordinal comparison decides, so two different names never count as one.
// Result < 0, 0 or > 0.
int CompareNames(std::string_view a, std::string_view b);
// The same for names already in UTF-16 (no conversions: for sorting large lists).
int CompareNamesW(std::wstring_view a, std::wstring_view b);

// Equal without regard to case (ordinal, as the file system compares names).
bool SameText(std::string_view a, std::string_view b);

// The text in capitals, as the system's upper-case mapping gives it.
std::string UpperCase(std::string_view text);

}  // namespace platform
