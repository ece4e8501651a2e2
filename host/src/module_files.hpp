// module_files.hpp - the platform's loader for module files: open one, look up an entry that the
// module itself exports (never one that merely reaches it from a library it depends on), close it.
#pragma once

#include <filesystem>
#include <string>

namespace morvhost::detail {

// A handle, or null with a one-line reason in `error`.
void *open_module(const std::filesystem::path &file, std::string &error);
void *module_entry(void *handle, const char *name, const std::filesystem::path &file);
void close_module(void *handle);

}  // namespace morvhost::detail
