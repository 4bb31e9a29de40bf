#include "NumberText.h"

#include <charconv>
#include <cmath>

namespace trawlix {

std::optional<double> parseNumberText(const std::string& text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    std::size_t end = text.find_last_not_of(' ') + 1;
    std::string body = text.substr(begin, end - begin);

    std::size_t i = 0;
    if (body[i] == '+' || body[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++digits;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++digits;
    }
    if (digits == 0 || i != body.size()) return std::nullopt;
    // from_chars reads '.' whatever the user's locale; it takes no '+', which changes nothing anyway.
    const char* first = body.data() + (body[0] == '+' ? 1 : 0);
    double value = 0;
    auto result = std::from_chars(first, body.data() + body.size(), value);
    if (result.ec != std::errc()) return std::nullopt;  // hundreds of digits: beyond a double
    return value;
}

double roundHalfEven(double value) {
    double lower = std::floor(value);
    double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

}  // namespace trawlix
