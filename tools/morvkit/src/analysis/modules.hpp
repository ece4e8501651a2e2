// modules.hpp - where the command finds the externals.
//
// A package folder holds `externals/` (loaded on demand when a box names a class) and
// `extensions/` (loaded at start-up, like morv.splash).  Given --modules folders, those are
// searched, every one in order: a class is loaded from the first folder that has a module for it
// and can load it, so a module that fails to load in one folder is looked for in the next.
// Without them the first of these is used: the package installed beside the executable
// (<bin>/../lib/morvkit), then the build tree the command was built in; only that one, so two
// builds of the same class are never mixed by accident.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace morvkit {

struct ModuleFolders {
    std::filesystem::path externals;
    std::filesystem::path extensions;
};

// The candidates in search order.  `build` is the build tree's pair, if the command knows one.
std::vector<ModuleFolders> module_candidates(const std::vector<std::filesystem::path> &user,
                                             const std::filesystem::path &executable,
                                             const std::optional<ModuleFolders> &build);
// The packages to search, in order: the first `user_count` candidates (the --modules folders),
// else the first other candidate whose externals folder exists, judged by `is_folder`.  A
// --modules folder that has no externals folder is an error of the command line
// (Error(usage)); no candidate at all is Error(analysis).
std::vector<ModuleFolders> choose_modules(
    const std::vector<ModuleFolders> &candidates, std::size_t user_count,
    const std::function<bool(const std::filesystem::path &)> &is_folder);

}  // namespace morvkit
