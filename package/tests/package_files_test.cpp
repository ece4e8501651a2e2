// The package's metadata and data files: they parse, and the metadata carries what Max's Package
// Manager reads, with the project's version.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

#include <tinyxml2.h>

#include "morv_version.h"
#include "package_files.hpp"

namespace {

TEST(PackageFiles, EveryJsonAndXmlFileParses) {
    const auto json = package::files_with({".json", ".maxhelp", ".maxpat"});
    EXPECT_EQ(json.size(), 5u);  // package-info.json, three help patchers, one subpatcher
    for (const auto &path : json) EXPECT_NO_THROW(package::read_json(path)) << path;
    const auto xml = package::files_with({".xml"});
    EXPECT_EQ(xml.size(), 3u);
    for (const auto &path : xml) {
        tinyxml2::XMLDocument doc;
        EXPECT_EQ(doc.LoadFile(path.c_str()), tinyxml2::XML_SUCCESS) << path << doc.ErrorStr();
    }
}

TEST(PackageFiles, PackageInfoHasEveryKeyAndTheProjectVersion) {
    const auto info = package::read_json(package::file("package-info.json"));
    for (const char *key : {"author", "authors", "description", "displayname", "extends",
                            "extensible", "homepatcher", "max_version_min", "max_version_max",
                            "name", "os", "tags", "version", "website", "filelist"})
        EXPECT_TRUE(info.contains(key)) << key;
    EXPECT_EQ(info.value("version", ""), MORV_VERSION);
    EXPECT_EQ(info.value("name", ""), "morvkit");  // the folder's name, as Max expects
    EXPECT_TRUE(info["authors"].is_array());
    EXPECT_TRUE(info["tags"].is_array());
    // What the Package Manager lists must be there to open.
    for (const auto &help : info["filelist"]["help"])
        EXPECT_NO_THROW(package::file("help/" + help.get<std::string>())) << help;
    // Packages name an overview patcher of their extras/ here, or nothing: the package has none.
    EXPECT_EQ(info.value("homepatcher", "?"), "");
    // What the macOS bundles' identifiers and the ZIP's metadata are made of.
    const auto &extra = info["package_extra"];
    EXPECT_EQ(extra.value("reverse_domain", ""), "org.morvkit");
    std::ifstream licence(MORV_SOURCE_DIR "/LICENSE");
    std::string line;
    while (std::getline(licence, line) && line.rfind("Copyright", 0) != 0) {
    }
    EXPECT_EQ(extra.value("copyright", ""), line);
    EXPECT_FALSE(line.empty());
}

TEST(PackageFiles, IconIsA500By500Png) {
    std::ifstream in(package::file("icon.png"), std::ios::binary);
    std::array<unsigned char, 24> head{};
    in.read(reinterpret_cast<char *>(head.data()), head.size());
    ASSERT_TRUE(in);
    const std::array<unsigned char, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), head.begin()));
    // The IHDR chunk comes first: width and height, big-endian, at bytes 16 and 20.
    const auto be32 = [&](int at) {
        return std::uint32_t{head[at]} << 24 | std::uint32_t{head[at + 1]} << 16 |
               std::uint32_t{head[at + 2]} << 8 | head[at + 3];
    };
    EXPECT_EQ(be32(16), 500u);
    EXPECT_EQ(be32(20), 500u);
}

}  // namespace
