#include <gtest/gtest.h>

#include "EditorHarness.h"
#include "fakes/TextFiles.h"
#include "ui/editor/DockStripModel.h"

namespace moorvane {
namespace {

using testing::app;
using testing::labels;

std::vector<std::string> tileLabels(QAbstractListModel* tiles) {
    std::vector<std::string> out;
    for (int i = 0; i < tiles->rowCount(); ++i) {
        const auto tile = tiles->data(tiles->index(i), KeyedListModel::DataRole).toMap();
        out.push_back(tile["label"].toString().toStdString() +
                      (tile["kind"] == "group" ? "(" + tile["badge"].toString().toStdString() + ")" : ""));
    }
    return out;
}

AppGroup group(const std::string& name, std::vector<std::string> members) {
    AppGroup g;
    g.name = name;
    for (auto& m : members) m = "com.example." + m;
    g.bundleIdentifiers = std::move(members);
    return g;
}

struct TileCase {
    const char* name;
    std::vector<std::string> entries;
    std::vector<AppGroup> groups;
    std::vector<std::string> tiles;
};

class TileFormingTest : public ::testing::TestWithParam<TileCase> {};

TEST_P(TileFormingTest, FoldsEntriesIntoTheirFirstGroup) {
    editor::EditState state;
    for (const auto& e : GetParam().entries) state.appEntries.push_back(app(e));
    state.groups = GetParam().groups;
    DockStripModel strip(state, {});
    EXPECT_EQ(tileLabels(strip.tiles()), GetParam().tiles);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileFormingTest,
    ::testing::Values(TileCase{"GroupStandsAtItsFirstMember",
                               {"A", "B", "C", "D", "E"},
                               {group("G", {"B", "D"})},
                               {"A", "G(2)", "C", "E"}},
                      TileCase{"OneMemberStillAGroup", {"A", "B"}, {group("G", {"B", "Z"})}, {"A", "G(1)"}},
                      TileCase{"SharedAppGoesToTheFirstGroup",
                               {"A", "B"},
                               {group("G1", {"A"}), group("G2", {"A", "B"})},
                               {"G1(1)", "G2(2)"}},
                      TileCase{"OtherGroupWithoutOwnAppShowsNoTile",
                               {"A", "B"},
                               {group("G1", {"A"}), group("G2", {"A"})},
                               {"G1(1)", "B"}},
                      TileCase{"GroupWithoutPresentAppsShowsNoTile", {"A"}, {group("G", {"X", "Y"})}, {"A"}}),
    testing::caseName);

struct MoveCase {
    const char* name;
    int dragged;
    int target;
    std::vector<std::string> order;
};

class DragMoveTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(DragMoveTest, DraggedEntryTakesTheTargetsPlace) {
    editor::EditState state;
    for (const char* n : {"1", "2", "3", "4", "5"}) state.appEntries.push_back(app(n));
    DockStripModel strip(state, {});
    int moves = 0, resets = 0;
    QObject::connect(strip.tiles(), &QAbstractItemModel::rowsMoved, [&] { ++moves; });
    QObject::connect(strip.tiles(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    auto id = [&](int i) { return QString::fromStdString(state.appEntries[std::size_t(i)].id.text()); };
    const QString payload = strip.startDrag(id(GetParam().dragged));
    EXPECT_EQ(payload, payload.toUpper());
    EXPECT_TRUE(strip.canAcceptDrop());
    strip.dragEnter(id(GetParam().target));
    EXPECT_EQ(labels(state.appEntries), GetParam().order);
    EXPECT_EQ(tileLabels(strip.tiles()), GetParam().order);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(moves > 0, GetParam().dragged != GetParam().target);
    EXPECT_TRUE(strip.drop());
    EXPECT_TRUE(strip.draggingId().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, DragMoveTest,
                         ::testing::Values(MoveCase{"FirstOntoFourth", 0, 3, {"2", "3", "4", "1", "5"}},
                                           MoveCase{"FourthOntoFirst", 3, 0, {"4", "1", "2", "3", "5"}},
                                           MoveCase{"OntoItself", 2, 2, {"1", "2", "3", "4", "5"}}),
                         testing::caseName);

// A drag or a hover that ends out of order: a cancelled drag moves nothing afterwards, and leaving the old
// tile after entering the next keeps the new hover.
TEST(DockStripModelTest, CancelledDragAndLateHoverLeaveNothingStale) {
    editor::EditState state;
    state.appEntries = {app("A"), app("B")};
    DockStripModel strip(state, {});
    const QString a = QString::fromStdString(state.appEntries[0].id.text());
    const QString b = QString::fromStdString(state.appEntries[1].id.text());
    strip.startDrag(a);
    strip.endDrag();
    EXPECT_TRUE(strip.draggingId().isEmpty());
    strip.dragEnter(b);
    EXPECT_EQ(labels(state.appEntries), (std::vector<std::string>{"A", "B"}));

    strip.setHovered(a);
    strip.setHovered(b);
    strip.clearHovered(a);
    EXPECT_EQ(strip.hoveredId(), b);
    strip.clearHovered(b);
    EXPECT_TRUE(strip.hoveredId().isEmpty());
}

TEST(DockStripModelTest, HidingRemovingAndGroupActions) {
    editor::EditState state;
    DockAppEntry noBundle = app("Doc");
    noBundle.bundleIdentifier.clear();
    state.appEntries = {app("A"), app("B"), noBundle, app("C"), DockAppEntry::spacer(SpacerType::small)};
    state.groups = {group("G", {"A", "C"})};
    DockStripModel strip(state, {});
    auto id = [&](const std::string& label) {
        for (const auto& e : state.appEntries) {
            if (e.label == label) return QString::fromStdString(e.id.text());
        }
        return QString();
    };

    strip.toggleHidden(id("Doc"));
    strip.toggleHidden(id("Small Spacer"));
    EXPECT_TRUE(state.hiddenApps.empty());
    strip.toggleHidden(id("B"));
    strip.remove(id("B"));
    EXPECT_EQ(state.hiddenApps, std::set<std::string>{"com.example.B"});

    strip.ungroup(QString::fromStdString(state.groups[0].id.text()));
    EXPECT_EQ(tileLabels(strip.tiles()), (std::vector<std::string>{"A", "Doc", "C", "Small Spacer"}));

    state.groups = {group("G", {"A", "C"})};
    strip.refresh();
    strip.removeGroupAndApps(QString::fromStdString(state.groups[0].id.text()));
    EXPECT_EQ(labels(state.appEntries), (std::vector<std::string>{"Doc", "Small Spacer"}));
    EXPECT_TRUE(state.groups.empty());
}

}  // namespace
}  // namespace moorvane
