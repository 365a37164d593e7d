#include "core/format.h"

std::string FormatMsg(const std::string& pattern, std::initializer_list<std::string> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto arg = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char n = pattern[i + 1];
      if (n == '%') { out += '%'; ++i; continue; }
      if ((n == 's' || n == 'd') && arg != args.end()) { out += *arg++; ++i; continue; }
    }
    out += c;
  }
  return out;
}
