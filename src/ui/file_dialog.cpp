#include "ui/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "core/translate.h"
#include "platform/text.h"

bool ChooseFileName(HWND owner, const FileDialogOptions& options, std::string& name, std::vector<std::string>* names) {
  std::wstring filter;
  for (const auto& [caption, pattern] : options.Filter)
    filter += platform::Utf8ToWide(tr(caption)) + L'\0' + platform::Utf8ToWide(pattern) + L'\0';
  filter += L'\0';
  std::wstring buffer(65536, L'\0');
  const std::wstring preset = platform::Utf8ToWide(name);
  preset.copy(buffer.data(), std::min(preset.size(), buffer.size() - 1));
  const std::wstring title = platform::Utf8ToWide(tr(options.Title)),
                     ext = platform::Utf8ToWide(options.DefaultExtension),
                     folder = platform::Utf8ToWide(options.Folder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_PATHMUSTEXIST |
              (options.Save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST) | (options.Multiple ? OFN_ALLOWMULTISELECT : 0);
  if (!(options.Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
  // One file: its full name. Several: the folder, then each name, each ending in a zero.
  std::vector<std::string> parts;
  for (const wchar_t* p = buffer.c_str(); *p != L'\0'; p += std::wcslen(p) + 1)
    parts.push_back(platform::WideToUtf8(p));
  if (parts.empty()) return false;
  std::vector<std::string> chosen;
  if (parts.size() == 1) chosen = parts;
  for (size_t i = 1; i < parts.size(); ++i)
    chosen.push_back(parts[0] + (parts[0].back() == '\\' ? "" : "\\") + parts[i]);
  name = chosen.front();
  if (names != nullptr) *names = chosen;
  return true;
}
