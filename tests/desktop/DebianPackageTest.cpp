#include "platform/desktop/DebianPackage.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "fakes/Fixtures.h"
#include "fakes/TextFiles.h"

namespace moorvane::desktop {

bool operator==(const InstalledPackage& a, const InstalledPackage& b) {
    return a.name == b.name && a.version == b.version;
}

namespace {

using moorvane::testing::TempDir;
using moorvane::testing::writeText;

constexpr const char* program = "/usr/libexec/moorvane/moorvane";
constexpr const char* ownList =
    "/.\n/usr\n/usr/libexec\n/usr/libexec/moorvane\n/usr/libexec/moorvane/moorvane\n";

// A neighbour as dpkg writes one, its description running over several lines.
constexpr const char* neighbour =
    "Package: adduser\nStatus: install ok installed\nArchitecture: all\nVersion: 3.134\n"
    "Description: add and remove users and groups\n This package includes the adduser and deluser\n .\n "
    "commands.\n\n";

struct OwnerCase {
    const char* name;
    std::map<std::string, std::string> lists;  // file name under info/: its lines
    std::string status;
    std::optional<InstalledPackage> owner;
};

class PackageOwningTest : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(PackageOwningTest, ReadsTheOwnerAndItsInstalledVersionFromDpkgsDatabase) {
    const TempDir root;
    for (const auto& [name, lines] : GetParam().lists) writeText(root.path() / "info" / name, lines);
    writeText(root.path() / "status", GetParam().status);
    EXPECT_EQ(packageOwning(root.path(), program), GetParam().owner);
}

INSTANTIATE_TEST_SUITE_P(
    Database, PackageOwningTest,
    ::testing::Values(
        OwnerCase{
            "installed",
            {{"adduser.list", "/usr/sbin/adduser\n"}, {"moorvane.list", ownList}},
            std::string(neighbour) + "Package: moorvane\nStatus: install ok installed\nVersion: 1:0.1.0-1\n",
            InstalledPackage{"moorvane", "1:0.1.0-1"}},
        // Field names are read without regard to case, and a pinned package is as installed as any.
        OwnerCase{"heldWithLowerCaseFields",
                  {{"moorvane.list", ownList}},
                  "package: moorvane\nstatus: hold ok installed\nversion: 0.2.0-1\n",
                  InstalledPackage{"moorvane", "0.2.0-1"}},
        OwnerCase{"removedLeavingItsConfiguration",
                  {{"moorvane.list", ownList}},
                  "Package: moorvane\nStatus: deinstall ok config-files\nVersion: 0.1.0-1\n",
                  std::nullopt},
        // Another package's list holds the program; the one named after it holds only a longer name.
        OwnerCase{"ownedByAnotherPackage",
                  {{"moorvane.list", "/usr/libexec/moorvane/moorvane-helper\n"},
                   {"moorvane-nightly.list", "/usr/libexec/moorvane/moorvane"}},
                  "Package: moorvane\nStatus: install ok installed\nVersion: 0.1.0-1\n\n"
                  "Package: moorvane-nightly\nStatus: install ok installed\nVersion: 0.3~git5-1\n",
                  InstalledPackage{"moorvane-nightly", "0.3~git5-1"}},
        OwnerCase{"builtFromSource", {{"adduser.list", "/usr/sbin/adduser\n"}}, neighbour, std::nullopt},
        // The arch-qualified list names the stanza; the other architecture's is another package.
        OwnerCase{"architectureQualifiedList",
                  {{"moorvane:amd64.list", ownList}},
                  "Package: moorvane\nStatus: install ok installed\nArchitecture: i386\nVersion: 0.1.0-1\n\n"
                  "Package: moorvane\nStatus: install ok installed\nArchitecture: amd64\nVersion: 0.1.0-2\n",
                  InstalledPackage{"moorvane", "0.1.0-2"}},
        // A damaged stanza lends nothing to its neighbours, and its own fields are not believed.
        OwnerCase{"damagedStanzaBeforeOurs",
                  {{"moorvane.list", ownList}},
                  "Package: moorvane\nVersion: 9.9\ngarbage line\n\n"
                  "Package: moorvane\nStatus: install ok installed\nVersion: 0.1.0-1\n",
                  InstalledPackage{"moorvane", "0.1.0-1"}},
        OwnerCase{"ourStanzaDamaged",
                  {{"moorvane.list", ownList}},
                  "Package: moorvane\nStatus: install ok installed\nVersion: 0.1.0-1\nVersion: 0.2.0-1\n",
                  std::nullopt},
        OwnerCase{"versionOverTwoLines",
                  {{"moorvane.list", ownList}},
                  "Package: moorvane\nStatus: install ok installed\nVersion: 0.1.0\n -1\n",
                  std::nullopt}),
    moorvane::testing::caseName);

}  // namespace
}  // namespace moorvane::desktop
