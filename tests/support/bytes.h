// Item streams as bytes, built by hand or through a writer, and the messages of errors.
#pragma once

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "model/data_stream.h"

using Bytes = std::vector<uint8_t>;
inline Bytes operator+(Bytes a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); return a; }
// A short string item.
inline Bytes Str(const std::string& s) { return Bytes{tagShortString, uint8_t(s.size())} + Bytes(s.begin(), s.end()); }

// What write puts through a writer into an empty stream.
template <typename F>
Bytes Written(F write) {
  platform::MemoryStream stream;
  { DataWriter w(stream); write(w); }
  return stream.Bytes();
}

// The message of the E that action raises, or "no error"; other exceptions fail the test.
template <typename E = std::exception, typename F>
std::string Caught(F action) {
  try { action(); } catch (const E& e) { return e.what(); }
  return "no error";
}
