// Reading numbers out of control texts, independent of the user's locale and of the C runtime's.
#pragma once

#include <optional>
#include <string>

namespace trawlix {

// Accepts optional surrounding blanks, an optional sign, digits and a fraction written with '.'.
// Anything else (empty, letters, group separators, exponents, more digits than a double holds)
// gives nothing.
std::optional<double> parseNumberText(const std::string& text);

// Rounds to the nearest integer; an exact half goes to the even one.
double roundHalfEven(double value);

}  // namespace trawlix
