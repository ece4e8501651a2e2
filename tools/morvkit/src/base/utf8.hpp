// utf8.hpp - text that must be UTF-8 (JSON, the picture's title) from text that may not be.
//
// File names are bytes and may be in any encoding; box text goes to the host as symbols and must
// be valid.  Both checks use the JSON library's own UTF-8 decoder.
#pragma once

#include <string>
#include <string_view>

namespace morvkit {

bool is_valid_utf8(std::string_view text);
// The text with every invalid byte sequence replaced by U+FFFD.
std::string with_invalid_utf8_replaced(std::string_view text);

}  // namespace morvkit
