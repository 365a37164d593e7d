// Text files on disk (INI files, AUTOEXEC.BAT and the like) read as lines of UTF-8.
//
// The bytes are decoded as UTF-16 LE or BE when a byte order mark says so, as UTF-8
// when they carry the UTF-8 mark or are valid UTF-8, and as Windows-1252 otherwise.
// Lines end at CR LF, CR or LF; a line break at the very end makes no extra line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The file's bytes as UTF-8 text (the byte order mark removed).
std::string DecodeTextBytes(std::string_view bytes);

// Splits text into lines without their line breaks.
std::vector<std::string> SplitLines(std::string_view text);

// Reads the whole file as it is (opened shared as below). On failure bytes is emptied,
// error receives a German text naming the file and the result is false.
bool ReadFileBytes(const std::string& fileName, std::string& bytes, std::string& error);

// Reads fileName as lines. The file is opened shared, so a file that another program
// holds open for writing is still read. On failure lines is emptied, error receives
// a German text naming the file and the result is false.
bool ReadTextFileLines(const std::string& fileName, std::vector<std::string>& lines,
                       std::string& error);

// The Windows folder, home of the system's own INI files, without a trailing
// backslash unless it is a drive root.
std::string WindowsFolder();

}  // namespace platform
