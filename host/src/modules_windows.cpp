// modules_windows.cpp - module files through LoadLibrary (Windows).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "module_files.hpp"

namespace morvhost::detail {

void *open_module(const std::filesystem::path &file, std::string &error) {
    // The module's imports are looked up beside it, then beside the program (where the host's
    // MaxAPI.dll and MaxAudio.dll are, as with the real host), then in the system folder.
    HMODULE handle = LoadLibraryExW(
        file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!handle) {
        error =
            "cannot load " + file.string() + ": Windows error " + std::to_string(GetLastError());
    }
    return reinterpret_cast<void *>(handle);
}

void *module_entry(void *handle, const char *name, const std::filesystem::path &) {
    // GetProcAddress searches the module's own export table only.
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void close_module(void *handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}

}  // namespace morvhost::detail
