#include "host_session.hpp"

#include <system_error>

#include "errors.hpp"
#include "modules.hpp"

namespace morvkit {

std::string last_console_error() {
    const auto lines = morvhost::Host::get().console();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->kind == morvhost::ConsoleLine::Kind::error)
            return line->class_name.empty() ? line->text : line->class_name + ": " + line->text;
    return "";
}

std::unique_ptr<morvhost::Box> create_box(const std::string &text,
                                          const std::string &expected_class) {
    auto &host = morvhost::Host::get();
    host.clear_console();
    auto box = morvhost::Box::create(text);
    if (!box) {
        const auto why = last_console_error();
        throw Error(ExitStatus::analysis,
                    "cannot create the box \"" + text + "\"" + (why.empty() ? "" : ": " + why));
    }
    if (box->class_name() != expected_class)
        throw Error(ExitStatus::usage, "the box \"" + text + "\" is a " + box->class_name() +
                                           ", not a " + expected_class);
    return box;
}

void prepare_host(const std::vector<std::filesystem::path> &user_folders) {
    std::error_code ec;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::optional<ModuleFolders> build;
#if defined(MORV_EXTERNALS_DIR) && defined(MORV_EXTENSIONS_DIR)
    build = ModuleFolders{MORV_EXTERNALS_DIR, MORV_EXTENSIONS_DIR};
#endif
    const auto folders = choose_modules(
        module_candidates(user_folders, ec ? std::filesystem::path() : executable, build),
        user_folders.size(), [](const std::filesystem::path &folder) {
            std::error_code ignored;
            return std::filesystem::is_directory(folder, ignored);
        });
    auto &host = morvhost::Host::get();
    std::error_code ignored;
    if (std::filesystem::is_directory(folders.extensions, ignored))
        host.load_extensions(folders.extensions);
    host.add_search_path(folders.externals);
}

}  // namespace morvkit
