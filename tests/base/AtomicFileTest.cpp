#include "base/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "base/BoundedRead.h"
#include "fakes/FailingFileSystem.h"
#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

namespace fs = std::filesystem;
using testing::FailingCall;

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
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

class AtomicFileFailure : public ::testing::TestWithParam<testing::FailedStep> {};

// A full disk, a device error at the flush, a rename the file system refuses: the old content stays whole,
// no temporary file is left, and the error names the step and keeps the system's code.
TEST_P(AtomicFileFailure, LeavesTheTargetAndNoTemporaryFile) {
    testing::TempDir dir;
    const fs::path file = dir.path() / "store.json";
    ASSERT_TRUE(writeFileAtomically(file, "old"));
    Status written;
    {
        FailingCall failing(GetParam().call, GetParam().error);
        written = writeFileAtomically(file, "new and longer");
    }
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().code, GetParam().error);
    EXPECT_TRUE(written.error().description.starts_with(FailingCall::step(GetParam().call)))
        << written.error().description;
    EXPECT_NE(written.error().description.find(std::strerror(GetParam().error)), std::string::npos);
    EXPECT_EQ(testing::readText(file), "old");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Steps, AtomicFileFailure, ::testing::ValuesIn(testing::durableWriteFailures),
                         testing::caseName);

// The bounded read's refusals, each with the code its callers word their own messages by.
TEST(BoundedRead, RefusesWhatCouldBlockOrExhaustAndKeepsTheCause) {
    testing::TempDir dir;
    const fs::path file = dir.path() / "file";
    testing::writeText(file, "0123456789");
    EXPECT_EQ(*readBoundedFile(file, 10), "0123456789");

    const auto tooLarge = readBoundedFile(file, 9);
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.error().code, largerThanBoundCode);
    EXPECT_EQ(tooLarge.error().description, file.string() + " is larger than 9 bytes");

    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(readBoundedFile(dir.path() / "fifo", 10).error().code, notARegularFileCode);
    EXPECT_EQ(readBoundedFile(dir.path(), 10).error().code, notARegularFileCode);
    EXPECT_EQ(readBoundedFile(dir.path() / "missing", 10).error().code, ENOENT);

    fs::create_symlink(file, dir.path() / "link");
    EXPECT_TRUE(readBoundedFile(dir.path() / "link", 10));
    EXPECT_EQ(readBoundedFile(dir.path() / "link", 10, LastLink::refuse).error().code, ELOOP);

    FailingCall failing(FailingCall::Call::read, EIO);
    const auto unreadable = readBoundedFile(file, 10);
    ASSERT_FALSE(unreadable);
    EXPECT_EQ(unreadable.error().code, EIO);
    EXPECT_TRUE(unreadable.error().description.starts_with("cannot read")) << unreadable.error().description;
}

}  // namespace
}  // namespace moorvane
