// The placement store of a form: window state and position in the settings key, in a
// section named after the form ("Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos",
// "NormPos", the last two as "%d,%d,%d,%d").
#pragma once

#include <windows.h>

#include <string>

// Restores a stored placement; false when none is stored or it cannot be read.
bool RestorePlacement(HWND window, const std::string& section);
void SavePlacement(HWND window, const std::string& section);
