#include <gtest/gtest.h>

#include "base/errors.hpp"
#include "output/output_file.hpp"
#include "wav_fixture.hpp"

namespace morvkit {
namespace {

using testing::read_text;
using testing::ScratchDir;
namespace fs = std::filesystem;

std::size_t entries(const fs::path &folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(OutputFile, CommitPutsTheWholeContentUnderTheNameAndAFailedRunLeavesTheOldFile) {
    ScratchDir dir;
    {
        OutputFile file(dir / "out.csv");
        file.stream() << "a,b\n1,2\n";
        EXPECT_FALSE(fs::exists(dir / "out.csv"));
        file.commit();
    }
    EXPECT_EQ(read_text(dir / "out.csv"), "a,b\n1,2\n");
    EXPECT_EQ(entries(dir.path()), 1u);  // no temporary left behind
    {
        OutputFile file(dir / "out.csv");
        file.stream() << "half a resu";
    }  // e.g. the analysis failed
    EXPECT_EQ(read_text(dir / "out.csv"), "a,b\n1,2\n");
    EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(OutputFile, ReplacingKeepsTheModeAndFollowsLinks) {
    ScratchDir dir;
    testing::write_text(dir / "private.csv", "old\n");
    fs::permissions(dir / "private.csv", fs::perms(0600));
    fs::create_symlink("private.csv", dir / "link.csv");
    fs::create_symlink(dir / "link.csv", dir / "chain.csv");
    for (const char *name : {"private.csv", "link.csv", "chain.csv"}) {
        OutputFile file(dir / name);
        file.stream() << name;
        file.commit();
        EXPECT_EQ(read_text(dir / "private.csv"), name);
        EXPECT_EQ(fs::status(dir / "private.csv").permissions(), fs::perms(0600)) << name;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "chain.csv"));
    // A dangling link names the file to create.
    fs::create_symlink("made.csv", dir / "dangling.csv");
    OutputFile file(dir / "dangling.csv");
    file.commit();
    EXPECT_TRUE(fs::is_regular_file(dir / "made.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.csv"));
}

TEST(OutputFile, UnwritableDestinationsFailAtOnceNamingThePath) {
    ScratchDir dir;
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "folder", dir / "folder-link");
    fs::create_symlink("loop", dir / "loop");
    for (const auto &bad :
         {dir / "missing-folder" / "out.csv", dir / "folder", dir / "folder-link", dir / "loop"}) {
        try {
            OutputFile file(bad);
            FAIL() << bad;
        } catch (const Error &e) {
            EXPECT_EQ(e.status(), ExitStatus::output);
            EXPECT_NE(std::string(e.what()).find(bad.string()), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace morvkit
