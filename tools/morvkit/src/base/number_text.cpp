#include "base/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <cmath>

namespace morvkit {

std::string format_number(double value) {
    char text[max_number_text];
    return std::string(text, put_number(text, value));
}

char *put_number(char *out, double value) {
    const auto copy = [out](std::string_view text) {
        return std::copy(text.begin(), text.end(), out);
    };
    if (std::isnan(value))
        return copy("nan");
    if (std::isinf(value))
        return copy(value > 0 ? "inf" : "-inf");
    // The shortest round-trip form never exceeds 24 characters for a double.
    return std::to_chars(out, out + max_number_text, value).ptr;
}

}  // namespace morvkit
