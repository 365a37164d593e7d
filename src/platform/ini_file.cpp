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
