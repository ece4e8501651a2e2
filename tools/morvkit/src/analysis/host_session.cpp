#include "analysis/host_session.hpp"

#include <iostream>
#include <system_error>

#include "base/errors.hpp"
#include "analysis/modules.hpp"

namespace morvkit {
namespace {

std::string console_text(const morvhost::ConsoleLine &line) {
    return line.class_name.empty() ? line.text : line.class_name + ": " + line.text;
}

// The console errors since it was last cleared, joined: those posted against `about`, or (with
// `about` null) all of them.
std::string console_errors(const t_object *about) {
    std::string joined;
    for (const auto &line : morvhost::Host::get().console())
        if (line.kind == morvhost::ConsoleLine::Kind::error && (!about || line.object == about))
            joined += (joined.empty() ? "" : "; ") + console_text(line);
    return joined;
}

}  // namespace

std::string last_console_error() {
    const auto lines = morvhost::Host::get().console();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->kind == morvhost::ConsoleLine::Kind::error)
            return console_text(*line);
    return "";
}

std::unique_ptr<morvhost::Box> create_box(const std::string &text,
                                          const std::string &expected_class) {
    auto &host = morvhost::Host::get();
    host.clear_console();
    auto box = morvhost::Box::create(text);
    if (!box) {
        const auto why = console_errors(nullptr);
        throw Error(ExitStatus::analysis,
                    "cannot create the box \"" + text + "\"" + (why.empty() ? "" : ": " + why));
    }
    if (box->class_name() != expected_class)
        throw Error(ExitStatus::usage, "the box \"" + text + "\" is a " + box->class_name() +
                                           ", not a " + expected_class);
    if (const auto errors = console_errors(box->object()); !errors.empty())
        throw Error(ExitStatus::usage, "the box \"" + text + "\": " + errors);
    for (const auto &line : host.console())
        if (line.kind == morvhost::ConsoleLine::Kind::error && line.object != box->object())
            std::cerr << "morvkit: warning: " << console_text(line) << '\n';
    return box;
}

void send_message(morvhost::Box &box, const std::string &selector, std::vector<t_atom> args) {
    auto &host = morvhost::Host::get();
    host.clear_console();
    const auto text = selector + (args.empty() ? "" : " " + morvhost::format_atoms(args));
    const bool understood = box.send(selector, std::move(args));
    const auto errors = console_errors(nullptr);
    if (!understood || !errors.empty())
        throw Error(ExitStatus::usage, box.class_name() + " refused the message \"" + text + "\"" +
                                           (errors.empty() ? "" : ": " + errors));
}

void prepare_host(const std::vector<std::filesystem::path> &user_folders) {
    std::error_code ec;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::optional<ModuleFolders> build;
#if defined(MORV_EXTERNALS_DIR) && defined(MORV_EXTENSIONS_DIR)
    build = ModuleFolders{MORV_EXTERNALS_DIR, MORV_EXTENSIONS_DIR};
#endif
    const auto packages = choose_modules(
        module_candidates(user_folders, ec ? std::filesystem::path() : executable, build),
        user_folders.size(), [](const std::filesystem::path &folder) {
            std::error_code ignored;
            return std::filesystem::is_directory(folder, ignored);
        });
    auto &host = morvhost::Host::get();
    // One copy of the start-up extensions: the first package whose extensions load.
    bool extensions_loaded = false;
    for (const auto &package : packages) {
        std::error_code ignored;
        if (!extensions_loaded && std::filesystem::is_directory(package.extensions, ignored))
            extensions_loaded = host.load_extensions(package.extensions) > 0;
        host.add_search_path(package.externals);
    }
}

}  // namespace morvkit
