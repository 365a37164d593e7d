#include "platform/ini_file.h"

#include <windows.h>

#include <vector>

#include "platform/text.h"

namespace platform {

std::string ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& fallback) {
  const std::wstring f = Utf8ToWide(file), s = Utf8ToWide(section), k = Utf8ToWide(key), d = Utf8ToWide(fallback);
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), f.c_str());
    if (n + 1 < buffer.size()) return WideToUtf8(std::wstring_view(buffer.data(), n));
    buffer.resize(buffer.size() * 4);  // cut off: read again with more room
  }
}

std::vector<std::pair<std::string, std::string>> ReadIniSection(const std::string& file, const std::string& section) {
  const std::wstring f = Utf8ToWide(file), s = Utf8ToWide(section);
  std::vector<wchar_t> buffer(4096);
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileSectionW(s.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), f.c_str());
    if (n + 2 < buffer.size()) break;
    buffer.resize(buffer.size() * 4);  // cut off: read again with more room
  }
  std::vector<std::pair<std::string, std::string>> entries;
  for (size_t at = 0; at < n;) {  // "key=value\0" one after the other
    const std::wstring line(buffer.data() + at);
    at += line.size() + 1;
    if (line.empty()) continue;
    const size_t eq = line.find(L'=');
    entries.emplace_back(WideToUtf8(line.substr(0, eq)), eq == std::wstring::npos ? "" : WideToUtf8(line.substr(eq + 1)));
  }
  return entries;
}

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  return WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), Utf8ToWide(value).c_str(),
                                    Utf8ToWide(file).c_str()) != 0;
}

bool DeleteIniKey(const std::string& file, const std::string& section, const std::string& key) {
  return WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), nullptr,
                                    Utf8ToWide(file).c_str()) != 0;
}

bool EraseIniSection(const std::string& file, const std::string& section) {
  return WritePrivateProfileStringW(Utf8ToWide(section).c_str(), nullptr, nullptr, Utf8ToWide(file).c_str()) != 0;
}

}  // namespace platform
