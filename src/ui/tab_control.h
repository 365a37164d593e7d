// Tab controls: their tabs, and the colour they paint their body with (a theme may
// paint it differently from the window face, and the labels on it must match).
#pragma once

#include <windows.h>

#include <string>

// Adds a tab with a (translated) caption at index.
void AddTab(HWND tabs, int index, const std::string& caption);

// The colour of the tab's body as the control paints it.
COLORREF TabBodyColour(HWND tabs);
