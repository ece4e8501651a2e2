#include <gtest/gtest.h>

#include "atomic_file.hpp"
#include "errors.hpp"
#include "wav_fixture.hpp"

namespace morvkit {
namespace {

using testing::read_text;
using testing::ScratchDir;

std::size_t entries(const std::filesystem::path &folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

TEST(AtomicFile, CommitPutsTheWholeContentUnderTheName) {
    ScratchDir dir;
    {
        AtomicFile file(dir / "out.csv");
        file.stream() << "a,b\n1,2\n";
        EXPECT_FALSE(std::filesystem::exists(dir / "out.csv"));
        file.commit();
    }
    EXPECT_EQ(read_text(dir / "out.csv"), "a,b\n1,2\n");
    EXPECT_EQ(entries(dir.path()), 1u);  // no temporary left behind
}

TEST(AtomicFile, WithoutCommitTheOldFileStaysAndNothingIsLeft) {
    ScratchDir dir;
    testing::write_text(dir / "out.csv", "previous\n");
    {
        AtomicFile file(dir / "out.csv");
        file.stream() << "half a resu";
    }  // e.g. the analysis failed
    EXPECT_EQ(read_text(dir / "out.csv"), "previous\n");
    EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(AtomicFile, UnwritableDestinationsFailAtOnceNamingThePath) {
    ScratchDir dir;
    try {
        AtomicFile file(dir / "missing-folder" / "out.csv");
        FAIL() << "expected an error";
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::output);
        EXPECT_NE(std::string(e.what()).find("missing-folder/out.csv"), std::string::npos);
    }
    std::filesystem::create_directory(dir / "folder");
    EXPECT_THROW(AtomicFile(dir / "folder"), Error);
}

TEST(AtomicFile, NewFileGetsOrdinaryPermissions) {
    ScratchDir dir;
    AtomicFile file(dir / "out.txt");
    file.commit();
    const auto perms = std::filesystem::status(dir / "out.txt").permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_read, std::filesystem::perms::none);
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
}

}  // namespace
}  // namespace morvkit
