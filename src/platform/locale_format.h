// Numbers, dates and times as the user's locale writes them.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// "1.234.567" (the locale's digit grouping, no decimals).
std::string FormatGroupedNumber(uint32_t value);
// The same for a file size of any width (4 GiB and more included).
std::string FormatGroupedSize(uint64_t value);
// The locale's short date ("17.5.2024").
std::string FormatShortDate(int year, int month, int day);
// The locale's long time ("13:45:30").
std::string FormatLongTime(int hour, int minute, int second);

}  // namespace platform
