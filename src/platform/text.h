// UTF-8 inside, UTF-16 at the Win32 boundary.
//
// Every text of the program is UTF-8 in std::string. Names coming from the system
// may hold unpaired UTF-16 surrogates; they are kept as their three-byte encodings
// (WTF-8), so converting back yields the very same name. Bytes that are not UTF-8
// at all come from files written in the Windows ANSI code page and are read as
// Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when text is well-formed UTF-8 (unpaired surrogate encodings allowed).
bool IsValidUtf8(std::string_view text);

// Decodes Windows-1252 bytes into UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 text in Windows-1252, for files that other programs read in the ANSI code
// page; a character it lacks becomes "?".
std::string Utf8ToCp1252(std::string_view text);

// Stored text of unknown origin: UTF-8 when valid, otherwise Windows-1252.
std::string LegacyToUtf8(std::string_view bytes);

// UTF-8 to UTF-16 and back; invalid input bytes are decoded as Windows-1252.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// Text without the blanks at both ends; blanks are every character up to the space,
// control characters included (as INI files are read).
std::string_view TrimBlanks(std::string_view text);

}  // namespace platform
