// The key filter of the two number boxes: digits, Backspace and Delete pass.
#pragma once

#include <cstdint>

#include "APIcalls/APIcalls.h"

namespace trawlix {

inline constexpr const char* kDigitsOnlyMessage = "Only enter numbers, please";

bool digitKeyPasses(std::uint16_t code);

// Returns the code to hand on to the box: unchanged when it passes, 0 (discarded) after the
// message otherwise.
std::uint16_t digitFilter(std::uint16_t code, APIcalls& api);

}  // namespace trawlix
