// The placement store of a form: window state and position in the settings key, in a
// section named after the form ("Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos",
// "NormPos", the last two as "%d,%d,%d,%d"); splitter positions and list-view column
// widths beside them. Section "" is the settings key itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Restores a stored placement; false when none is stored or it cannot be read.
bool RestorePlacement(HWND window, const std::string& section);
void SavePlacement(HWND window, const std::string& section);

// A list view's column widths: countValue holds the column count, "<i>_<list>" each
// width. They come back only while the list still has as many columns; a stored width
// below 1 leaves the column as it is (a column without width gets 120).
void RestoreColumnWidths(HWND list, const std::string& section, const std::string& name,
                         const std::string& countValue);
void SaveColumnWidths(HWND list, const std::string& section, const std::string& name, const std::string& countValue);

// A number of the store (a splitter's position), and def when there is none.
int32_t ReadLayoutValue(const std::string& section, const std::string& value, int32_t def);
void WriteLayoutValue(const std::string& section, const std::string& value, int32_t number);
