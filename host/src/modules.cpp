// modules.cpp - loading externals: open a module file, find its registration entry (ext_main,
// else the legacy main) and call it once.  Modules are never unloaded: classes, symbols and
// routines they registered stay in use for the life of the process.
#include <algorithm>
#include <mutex>
#include <set>
#include <system_error>

#include "host_internal.hpp"
#include "module_files.hpp"

namespace morvhost::detail {
namespace {

struct Modules {
    std::recursive_mutex mutex;  // a registration entry may load further modules
    std::set<std::filesystem::path> loaded;
    std::vector<std::filesystem::path> search_paths;
};

Modules &modules() {
    static auto *m = new Modules;
    return *m;
}

bool load(const std::filesystem::path &file, std::string &error) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::canonical(file, ec);
    if (ec) {
        error = "cannot find module " + file.string();
        return false;
    }
    Modules &m = modules();
    std::lock_guard lock(m.mutex);
    if (m.loaded.count(canonical))
        return true;
    void *handle = open_module(canonical, error);
    if (!handle)
        return false;
    void *ext_main_sym = module_entry(handle, "ext_main", canonical);
    void *main_sym = ext_main_sym ? nullptr : module_entry(handle, "main", canonical);
    if (!ext_main_sym && !main_sym) {
        close_module(handle);
        error = canonical.string() + " is not an external: it exports neither ext_main nor main";
        return false;
    }
    m.loaded.insert(canonical);  // before the entry runs, so that it cannot be entered twice
    if (ext_main_sym)
        reinterpret_cast<void (*)(void *)>(ext_main_sym)(nullptr);
    else
        reinterpret_cast<int (*)()>(main_sym)();
    return true;
}

}  // namespace

bool autoload_class(std::string_view class_name) {
    if (class_name.empty() || class_name.find_first_of("/\\") != std::string_view::npos)
        return false;
    std::vector<std::filesystem::path> paths;
    {
        std::lock_guard lock(modules().mutex);
        paths = modules().search_paths;
    }
    const std::string file = std::string(class_name) + Host::module_suffix();
    for (const auto &dir : paths) {
        std::error_code ec;
        if (!std::filesystem::exists(dir / file, ec))
            continue;
        std::string error;
        if (load(dir / file, error))
            return true;
        console_error(nullptr, "%s", error.c_str());
    }
    return false;
}

}  // namespace morvhost::detail

namespace morvhost {

bool Host::load_module(const std::filesystem::path &file, std::string *error) {
    std::string why;
    const bool ok = detail::load(file, why);
    if (!ok) {
        detail::console_error(nullptr, "%s", why.c_str());
        if (error)
            *error = why;
    }
    return ok;
}

int Host::load_extensions(const std::filesystem::path &folder) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == module_suffix())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    int n = 0;
    for (const auto &f : files) n += load_module(f);
    return n;
}

void Host::add_search_path(const std::filesystem::path &folder) {
    auto &m = detail::modules();
    std::lock_guard lock(m.mutex);
    if (std::find(m.search_paths.begin(), m.search_paths.end(), folder) == m.search_paths.end())
        m.search_paths.push_back(folder);
}

std::string Host::module_suffix() {
    return MORV_MODULE_SUFFIX;
}

Host &Host::get() {
    static Host host;
    return host;
}

}  // namespace morvhost
