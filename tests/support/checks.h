// Small checks the unit tests share.
#pragma once

#include <windows.h>

#include <string>

#include "core/exceptions.h"
#include "platform/text.h"

inline bool PathExists(const std::string& path) {  // a file or a folder
  return GetFileAttributesW(platform::Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The message of the EQuitawayError that fn raises, or "no error".
template <class Fn>
std::string ErrorOf(Fn fn) {
  try {
    fn();
  } catch (const EQuitawayError& e) {
    return e.what();
  }
  return "no error";
}
