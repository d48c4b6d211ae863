#include "base/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

// The ports rely on the mode (a private file is never readable by others) and on missing folders being made.
TEST(AtomicFile, ReplacesWithTheModeAndMakesFoldersOnlyWhenAsked) {
    testing::TempDir dir;
    const fs::path file = dir.path() / "a/b/defaults.json";
    EXPECT_FALSE(writeFileAtomically(file, "x", 0600)) << "no folders without a folder mode";
    ASSERT_TRUE(writeFileAtomically(file, "old", 0600, 0700));
    ASSERT_TRUE(writeFileAtomically(file, "new", 0600, 0700));
    EXPECT_EQ(testing::readText(file), "new");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(modeOf(dir.path() / "a"), 0700u);
}

TEST(AtomicFile, AFailedReplaceLeavesTheTargetAndNoTemporaryFile) {
    testing::TempDir dir;
    fs::create_directories(dir.path() / "taken/child");
    const auto written = writeFileAtomically(dir.path() / "taken", "text");
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().description.find("cannot replace"), std::string::npos)
        << written.error().description;
    EXPECT_TRUE(fs::is_directory(dir.path() / "taken/child"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace moorvane
