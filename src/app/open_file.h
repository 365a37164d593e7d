// A file of a list opened through the shell, as a double click does; a missing file
// or one the shell cannot open gets its error box.
#pragma once

#include <windows.h>

#include <string>

void OpenFileThroughShell(HWND owner, const std::string& path);
