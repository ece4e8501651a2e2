#include "analysis/modules.hpp"

#include <algorithm>

#include "base/errors.hpp"

namespace morvkit {

std::vector<ModuleFolders> module_candidates(const std::vector<std::filesystem::path> &user,
                                             const std::filesystem::path &executable,
                                             const std::optional<ModuleFolders> &build) {
    std::vector<ModuleFolders> candidates;
    for (const auto &folder : user)
        candidates.push_back({folder / "externals", folder / "extensions"});
    if (!executable.empty()) {
        const auto package = executable.parent_path().parent_path() / "lib" / "morvkit";
        candidates.push_back({package / "externals", package / "extensions"});
    }
    if (build)
        candidates.push_back(*build);
    return candidates;
}

std::vector<ModuleFolders> choose_modules(
    const std::vector<ModuleFolders> &candidates, std::size_t user_count,
    const std::function<bool(const std::filesystem::path &)> &is_folder) {
    user_count = std::min(user_count, candidates.size());
    for (std::size_t i = 0; i < user_count; ++i)
        if (!is_folder(candidates[i].externals))
            throw Error(ExitStatus::usage, "--modules: '" +
                                               candidates[i].externals.parent_path().string() +
                                               "' has no externals folder");
    if (user_count > 0)
        return {candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(user_count)};
    for (const auto &candidate : candidates)
        if (is_folder(candidate.externals))
            return {candidate};
    throw Error(ExitStatus::analysis,
                "cannot find the externals: pass --modules DIR (a folder holding externals/)");
}

}  // namespace morvkit
