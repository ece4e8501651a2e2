#include "base/utf8.hpp"

#include <nlohmann/json.hpp>

namespace morvkit {

bool is_valid_utf8(std::string_view text) {
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error &) {
        return false;
    }
}

std::string with_invalid_utf8_replaced(std::string_view text) {
    const auto escaped =
        nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return nlohmann::json::parse(escaped).get<std::string>();
}

}  // namespace morvkit
