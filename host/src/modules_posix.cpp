// modules_posix.cpp - module files through dlopen (Linux, macOS).
#include <dlfcn.h>

#include <system_error>

#include "module_files.hpp"

namespace morvhost::detail {

void *open_module(const std::filesystem::path &file, std::string &error) {
    void *handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *why = dlerror();
        error = "cannot load " + file.string() + ": " + (why ? why : "unknown error");
    }
    return handle;
}

void *module_entry(void *handle, const char *name, const std::filesystem::path &file) {
    // dlsym also finds the name in the module's dependencies (the host itself, for one): keep it
    // only if it lies in the module's own file.
    void *sym = dlsym(handle, name);
    if (!sym)
        return nullptr;
    Dl_info info{};
    if (!dladdr(sym, &info) || !info.dli_fname)
        return nullptr;
    std::error_code ec;
    return std::filesystem::equivalent(info.dli_fname, file, ec) ? sym : nullptr;
}

void close_module(void *handle) {
    dlclose(handle);
}

}  // namespace morvhost::detail
