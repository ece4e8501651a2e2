// extension.hpp - a file name's extension as the formats are chosen by: in lower case.
#pragma once

#include <filesystem>
#include <string>

namespace morvkit {

// ".svg" for "Roll.SVG", "" for a name without one.
std::string lowercase_extension(const std::filesystem::path &file);

}  // namespace morvkit
