#include "NumberText.h"

#include <clocale>
#include <cmath>
#include <cstdlib>

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
    const std::size_t point = i;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++digits;
    }
    if (digits == 0 || i != body.size()) return std::nullopt;
    // strtod rounds correctly (std::from_chars would too, at many times the size in the executable),
    // but takes its decimal point from the C runtime's locale, which the whole process shares: any
    // library loaded into it may call setlocale. So the fraction is written with that point, and the
    // number counts only when strtod has read all of it.
    if (point < body.size()) body.replace(point, 1, std::localeconv()->decimal_point);
    char* read = nullptr;
    const double value = std::strtod(body.c_str(), &read);
    if (read != body.c_str() + body.size()) return std::nullopt;
    // Hundreds of digits: beyond a double, or below its smallest value.
    if (std::isinf(value) || (value == 0 && body.find_first_of("123456789") != std::string::npos)) return std::nullopt;
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
