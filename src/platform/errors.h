// System error texts.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The system's text for a Win32 error code (in the user's language), without the
// trailing line break; the number when the system has no text.
std::string ErrorText(uint32_t code);

}  // namespace platform
