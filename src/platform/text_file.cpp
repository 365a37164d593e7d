#include "platform/text_file.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/text.h"

namespace platform {
namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::wstring wide;
  wide.reserve(bytes.size() / 2);
  // An odd byte at the end is half a character: nothing to decode.
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    wide += static_cast<wchar_t>(lo | (hi << 8));
  }
  return WideToUtf8(wide);
}

std::string Describe(const char* what, const std::string& name, DWORD code) {
  return std::string(what) + " \"" + name + "\": " + ErrorText(code);
}

}  // namespace

std::string DecodeTextBytes(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false);
  if (StartsWith(bytes, "\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true);
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return LegacyToUtf8(bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool ReadFileBytes(const std::string& fileName, std::string& bytes, std::string& error) {
  bytes.clear();
  HANDLE h = CreateFileW(Utf8ToWide(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = Describe("Die Datei kann nicht geöffnet werden:", fileName, GetLastError());
    return false;
  }
  // Read to the end rather than trusting the size: another program may be writing.
  std::string chunk(65536, '\0');
  bool ok = true;
  DWORD code = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
      ok = false;
      code = GetLastError();
      break;
    }
    if (got == 0) break;
    bytes.append(chunk.data(), got);
  }
  CloseHandle(h);
  if (!ok) {
    error = Describe("Fehler beim Lesen der Datei", fileName, code);
    bytes.clear();
    return false;
  }
  return true;
}

bool ReadTextFileLines(const std::string& fileName, std::vector<std::string>& lines,
                       std::string& error) {
  lines.clear();
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes, error)) return false;
  lines = SplitLines(DecodeTextBytes(bytes));
  return true;
}

std::string WindowsFolder() {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  UINT n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n >= buffer.size()) {  // too small: n is the size needed
    buffer.assign(n + 1, L'\0');
    n = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  if (n == 0 || n >= buffer.size()) return "C:\\WINDOWS";
  buffer.resize(n);
  return WideToUtf8(buffer);
}

}  // namespace platform
