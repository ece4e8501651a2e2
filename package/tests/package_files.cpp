#include "package_files.hpp"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace package {
namespace {

const std::filesystem::path roots[] = {MORV_PACKAGE_CONFIGURED, MORV_PACKAGE_SOURCE};

// Source folders that are not part of the package.
bool outside_package(const std::filesystem::path &relative) {
    const std::string top = relative.begin()->string();
    return top == "tests" || top == "icon" || top == "CMakeFiles" || top == "install" ||
           top == "install-check";
}

}  // namespace

std::filesystem::path file(const std::string &relative) {
    for (const auto &root : roots)
        if (std::filesystem::exists(root / relative))
            return root / relative;
    throw std::runtime_error("the package has no " + relative);
}

std::vector<std::filesystem::path> files_with(const std::vector<std::string> &extensions) {
    std::vector<std::filesystem::path> found;
    for (const auto &root : roots)
        for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
            const auto ext = entry.path().extension().string();
            if (entry.is_regular_file() &&
                !outside_package(entry.path().lexically_relative(root)) &&
                std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
                found.push_back(entry.path());
        }
    return found;
}

nlohmann::json read_json(const std::filesystem::path &path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in);
}

const std::vector<std::string> &classes() {
    static const std::vector<std::string> names = [] {
        auto &host = morvhost::Host::get();
        host.add_search_path(MORV_EXTERNALS_DIR);
        host.load_extensions(MORV_EXTENSIONS_DIR);
        return std::vector<std::string>{"zid~", "morv.centroid~", "morv.track~"};
    }();
    return names;
}

std::unique_ptr<morvhost::Box> create(const std::string &text) {
    classes();
    return morvhost::Box::create(text);
}

}  // namespace package
