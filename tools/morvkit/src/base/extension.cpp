#include "base/extension.hpp"

#include <algorithm>
#include <cctype>

namespace morvkit {

std::string lowercase_extension(const std::filesystem::path &file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace morvkit
