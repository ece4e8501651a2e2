// number_text.hpp - numbers as the shortest text that reads back to the same double.
//
// Results are printed so that two runs can be compared exactly and a reader (strtod, Python's
// float, a JSON parser) recovers the very same double.  Non-finite values have no JSON
// spelling; `format_number` writes them as "nan", "inf" and "-inf", and the JSON writer turns
// them into null.
#pragma once

#include <string>

namespace morvkit {

std::string format_number(double value);

}  // namespace morvkit
