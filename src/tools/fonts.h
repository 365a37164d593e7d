// The font remover's engine: the fonts registered with the system (values of the
// font key below HKEY_LOCAL_MACHINE: the font's name, its file), the preview of one
// of them, and their uninstallation: the resource taken from the running system,
// the file deleted through DeleteFileWithBackup (below the backup folder's
// "FONTS\"), the value removed, and every window told.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/font_info.h"

// The font key by the platform identifier of the version information ("" for a
// platform other than the Windows 95 and NT families); FontKey asks the system.
std::string FontKeyFor(DWORD platformId);
std::string FontKey();

// The fonts folder, ending in "\": the shell folder "Fonts" of the current user,
// else the Windows folder's "fonts" when it exists; "" when neither is there.
std::string FontsFolder();

// A hexadecimal number as the "Locale" value holds it: blanks around it, one leading
// "$", digits of either case. Raises EConvertError "Error while converting String to
// Hex" for an empty text, any other character or more than 32 bits.
uint32_t HexToInt(const std::string& text);

// The user's language: the value "Locale" of "Control Panel\International" in
// HKEY_CURRENT_USER (the system's user locale when there is no such value).
uint32_t UserLanguage();

struct FontEntry {
  std::string Name;  // the value's name: the font's name and its kind in parentheses
  std::string File;  // its data: a file name in the fonts folder or a full path
};

// The fonts of the key, sorted by name; values without data are left out.
std::vector<FontEntry> ListFonts(const std::string& key);

// The file of a font: its path as registered when that has a drive, else in folder.
std::string FontPath(const std::string& file, const std::string& folder);

// What to show for a font: the name and style of its TrueType naming table with the
// summary, or, for other fonts and files that are not TrueType, the display font
// whose name is the longest prefix of the entry's name (plain, no summary).
struct FontPreview {
  std::string FaceName;  // empty: no font to show
  FontStyle Style;
  std::string Summary;
};
FontPreview PreviewFont(const FontEntry& font, const std::string& folder, uint32_t language);

// Of names, the one whose upper case without blanks around it is the longest prefix
// of caption (already in upper case); "" when none.
std::string LongestPrefixName(std::vector<std::string> names, const std::string& caption);
// The font families the system offers for display.
std::vector<std::string> DisplayFontNames();

struct FontUninstall {
  std::vector<std::string> Removed;  // names of the fonts uninstalled, in that order
  bool Stopped = false;              // ended before the last font (cancel, font in use)
};

// Uninstalls fonts from the last to the first, recording each one in run as it goes.
// A font whose file is missing is asked about ("OK" goes on and keeps its value,
// "Abbrechen" stops). Errors of the deletion end the run with their message; the
// fonts uninstalled before stay so (run says which), and every window hears of them.
void UninstallFonts(const std::string& key, const std::string& folder, const std::vector<FontEntry>& fonts,
                    FontUninstall& run);
