// package_files.hpp - where the package's files are, for the checks that keep them true.  Files
// that carry the version are configured into the build tree; the rest are read from the sources.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "morvhost/host.hpp"

namespace package {

// A package file by its path inside the package folder, e.g. "help/zid~.maxhelp".
std::filesystem::path file(const std::string &relative);
// Every file of the package's sources and configured files with one of these extensions.
std::vector<std::filesystem::path> files_with(const std::vector<std::string> &extensions);
nlohmann::json read_json(const std::filesystem::path &path);

// The package's own box classes, loaded into the stand-in host as Max would load them.
const std::vector<std::string> &classes();
std::unique_ptr<morvhost::Box> create(const std::string &text);

}  // namespace package
