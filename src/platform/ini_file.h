// Entries of an INI file through the system's profile functions, as other programs
// read and write them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

// The entries of a section in file order (identifier and value), as the profile
// functions read them.
std::vector<std::pair<std::string, std::string>> ReadIniSection(const std::string& file, const std::string& section);

// The value of key in section, or fallback when there is none.
std::string ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& fallback);
// Each returns false when the system refused.
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
bool DeleteIniKey(const std::string& file, const std::string& section, const std::string& key);
bool EraseIniSection(const std::string& file, const std::string& section);

}  // namespace platform
