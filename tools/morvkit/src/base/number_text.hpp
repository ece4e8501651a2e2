// number_text.hpp - numbers as the shortest text that reads back to the same double.
//
// Results are printed so that two runs can be compared exactly and a reader (strtod, Python's
// float, a JSON parser) recovers the very same double.  Non-finite values have no JSON
// spelling; `format_number` writes them as "nan", "inf" and "-inf", and the JSON writer turns
// them into null.
#pragma once

#include <cstddef>
#include <string>

namespace morvkit {

// Characters that `put_number` may write.
inline constexpr std::size_t max_number_text = 32;

std::string format_number(double value);
// Writes the same text at `out`, which has room for max_number_text characters; returns the end.
char *put_number(char *out, double value);

}  // namespace morvkit
