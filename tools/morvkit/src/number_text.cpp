#include "number_text.hpp"

#include <charconv>
#include <cmath>

namespace morvkit {

std::string format_number(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    // The shortest round-trip form never exceeds 24 characters for a double.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace morvkit
