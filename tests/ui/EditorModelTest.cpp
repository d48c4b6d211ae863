#include <gtest/gtest.h>

#include "EditorHarness.h"
#include "dock/TileCodec.h"
#include "fakes/TextFiles.h"

namespace moorvane {
namespace {

using testing::app;
using testing::labels;

class EditorModelTest : public ::testing::Test {
  protected:
    testing::EditorHarness h;
};

TEST_F(EditorModelTest, SavingTheActiveProfileRestartsTheDockOnceAndLaunchesAndQuitsNothing) {
    const auto dockPid = h.workspace.addRunning("com.apple.dock");
    h.workspace.addRunning("com.example.Other");
    const auto p = h.addProfile("Work", {app("Mail"), app("Notes")});
    h.store.activeProfileId = p.id;
    auto editor = h.open(p.id);
    editor->setAutoLaunchApps(true);
    editor->setQuitOtherApps(true);
    editor->strip()->remove(QString::fromStdString(editor->state().appEntries[0].id.text()));

    editor->save();
    h.queue.drain();

    EXPECT_EQ(h.workspace.killed, std::vector<ProcessId>{dockPid});
    EXPECT_TRUE(h.workspace.opened.empty());
    EXPECT_TRUE(h.workspace.terminated.empty());
    EXPECT_EQ(labels(appEntries(h.stored(p.id))), std::vector<std::string>{"Notes"});
    EXPECT_EQ(h.closes, 1);
}

TEST_F(EditorModelTest, ProfilePickerSavesWithoutReapplyThenLoadsTheOther) {
    h.workspace.addRunning("com.apple.dock");
    const auto a = h.addProfile("A", {app("Mail")});
    const auto b = h.addProfile("B", {app("Notes"), app("Maps")});
    h.store.activeProfileId = a.id;
    auto editor = h.open(a.id);
    editor->setName("A2");

    editor->selectProfile(0);  // the one already shown: nothing is stored
    EXPECT_EQ(h.stored(a.id).name, "A");

    editor->selectProfile(1);
    EXPECT_EQ(h.stored(a.id).name, "A2");
    EXPECT_TRUE(h.workspace.killed.empty());
    EXPECT_EQ(editor->name(), "B");
    EXPECT_EQ(editor->profileIndex(), 1);

    editor->setName("B2");
    editor->save();
    EXPECT_TRUE(h.preferences.setKeys.empty()) << "saving an inactive profile leaves the Dock alone";
    EXPECT_EQ(h.stored(b.id).name, "B2");
}

TEST_F(EditorModelTest, BuildingFiltersGroupsLaunchListAndHiddenSet) {
    auto mail = app("Mail"), notes = app("Notes"), maps = app("Maps"), mailAgain = app("Mail");
    const auto p =
        h.addProfile("Work", {mail, notes, maps, mailAgain, DockAppEntry::spacer(SpacerType::small)});
    AppGroup survives{Uuid::random(),
                      "Office",
                      "briefcase.fill",
                      {"com.example.Mail", "com.example.Gone", "com.example.Notes"}};
    AppGroup shrinks{Uuid::random(), "Travel", "globe", {"com.example.Maps", "com.example.Gone"}};
    h.change(p.id, [&](DockProfile& s) {
        s.appGroups = std::vector{survives, shrinks};
        s.hiddenApps = std::vector<std::string>{"com.example.Notes", "com.example.Elsewhere"};
        s.appsToLaunch = std::vector<std::string>{"com.example.Mail"};
    });
    auto editor = h.open(p.id);
    EXPECT_TRUE(editor->autoLaunchApps());
    EXPECT_EQ(editor->itemsCaption(), "4 items");  // duplicates count twice here, spacers not at all
    editor->save();

    const auto& s = h.stored(p.id);
    ASSERT_TRUE(s.appGroups);
    ASSERT_EQ(s.appGroups->size(), 1u);
    EXPECT_EQ(s.appGroups->front().bundleIdentifiers,
              (std::vector<std::string>{"com.example.Mail", "com.example.Notes"}));
    EXPECT_EQ(*s.appsToLaunch, (std::vector<std::string>{"com.example.Mail", "com.example.Maps"}));
    // Kept even for an app no longer in the tiles.
    EXPECT_EQ(*s.hiddenApps, (std::vector<std::string>{"com.example.Elsewhere", "com.example.Notes"}));
}

TEST_F(EditorModelTest, EveryAppHiddenStoresAnEmptyLaunchListThatReopensUnchecked) {
    const auto p = h.addProfile("Work", {app("Mail")});
    auto editor = h.open(p.id);
    editor->setAutoLaunchApps(true);
    editor->strip()->toggleHidden(QString::fromStdString(editor->state().appEntries[0].id.text()));
    editor->save();
    ASSERT_TRUE(h.stored(p.id).appsToLaunch);
    EXPECT_TRUE(h.stored(p.id).appsToLaunch->empty());
    EXPECT_FALSE(h.open(p.id)->autoLaunchApps());

    editor = h.open(p.id);
    editor->showAll();
    editor->save();
    EXPECT_FALSE(h.stored(p.id).hiddenApps.has_value());
}

// The keys are compared as parsed (the parsing itself is ShortcutText's); the notice follows them.
TEST_F(EditorModelTest, ConflictNoticeNamesTheProfileWhoseShortcutHasTheSameKeys) {
    const auto other = h.addProfile("Home", {});
    h.change(other.id, [](DockProfile& s) { s.keyboardShortcut = "Shift+Command+K"; });
    const auto p = h.addProfile("Work", {});
    h.change(p.id, [](DockProfile& s) { s.keyboardShortcut = "cmd+shift+k"; });
    EXPECT_EQ(h.open(p.id)->conflictNotice(),
              "Currently used by \u201CHome\u201D \u2014 saving will move it here.");
    h.change(other.id, [](DockProfile& s) { s.keyboardShortcut = "ctrl+shift+k"; });
    EXPECT_EQ(h.open(p.id)->conflictNotice(), "");
}

TEST_F(EditorModelTest, AccessibilityNoticeOnlyWithoutConflictAndWithoutGlobalKeys) {
    const auto p = h.addProfile("Work", {});
    h.change(p.id, [&](DockProfile& s) { s.keyboardShortcut = "cmd+k"; });
    EXPECT_TRUE(h.open(p.id)->accessibilityNoticeVisible());
    h.keys.trusted = true;
    EXPECT_FALSE(h.open(p.id)->accessibilityNoticeVisible());

    // Where no permission helps, the notice says so and "Grant…" tells how the desktop can run the switch.
    h.keys.trusted = false;
    h.keys.sessionHides = true;
    h.change(p.id, [&](DockProfile& s) { s.name = "Deep Work"; });
    auto editor = h.open(p.id);
    EXPECT_TRUE(editor->accessibilityNoticeVisible());
    EXPECT_TRUE(editor->accessibilityNotice().startsWith("Works only while Moorvane has focus"));
    EXPECT_TRUE(editor->grantExplanation().endsWith("\nmoorvane 'moorvane://switch?profile=Deep%20Work'"))
        << editor->grantExplanation().toStdString();
}

TEST_F(EditorModelTest, GroupNeedsTwoDistinctAppsThenSheetsCreateRenameAndUngroup) {
    const auto p = h.addProfile("Work", {app("Mail"), DockAppEntry::spacer(SpacerType::small), app("Mail"),
                                         DockAppEntry::spacer(SpacerType::regular)});
    auto editor = h.open(p.id);
    EXPECT_FALSE(editor->canCreateGroup());
    editor->createGroup();
    EXPECT_EQ(editor->groupSheet(), nullptr);
    editor->replaceEntries({app("Mail"), app("Notes"), app("Maps")});
    EXPECT_TRUE(editor->canCreateGroup());
    editor->createGroup();
    auto* sheet = editor->groupSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->canDelete());
    sheet->toggle("com.example.Mail");
    sheet->toggle("com.example.Notes");
    sheet->setName("  Office\t");
    sheet->save();
    EXPECT_EQ(editor->groupSheet(), nullptr);
    ASSERT_EQ(editor->state().groups.size(), 1u);
    EXPECT_EQ(editor->state().groups[0].name, "Office");

    const QString groupId = QString::fromStdString(editor->state().groups[0].id.text());
    editor->strip()->editGroup(groupId);
    sheet = editor->groupSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->canDelete());
    sheet->setName("Desk");
    sheet->save();
    EXPECT_EQ(editor->state().groups.at(0).name, "Desk");

    editor->editGroup(groupId);
    editor->groupSheet()->ungroup();
    EXPECT_TRUE(editor->state().groups.empty());
    EXPECT_EQ(editor->state().appEntries.size(), 3u);
}

TEST_F(EditorModelTest, ProfileDeletedElsewhere) {
    const auto p = h.addProfile("Work", {app("Mail")});
    auto editor = h.open(p.id);
    h.store.deleteProfile(p.id);
    editor->duplicate();
    editor->exportProfile();
    EXPECT_EQ(h.closes, 0);
    EXPECT_TRUE(h.dialogs.calls.empty());
    editor->save();
    editor->deleteProfile();
    EXPECT_EQ(h.closes, 2);
    EXPECT_TRUE(h.store.profiles.get().empty());
}

TEST_F(EditorModelTest, DuplicateStoresEditsThenCopiesAndExportStoresNothing) {
    const auto p = h.addProfile("Work", {app("Mail")});
    auto editor = h.open(p.id);
    editor->setName("Renamed");
    editor->exportProfile();
    ASSERT_EQ(h.dialogs.savePanels.size(), 1u);
    EXPECT_EQ(h.dialogs.savePanels[0].suggestedName, "Renamed.dockprofile");
    EXPECT_EQ(h.stored(p.id).name, "Work");

    editor->duplicate();
    ASSERT_EQ(h.store.profiles.get().size(), 2u);
    EXPECT_EQ(h.store.profiles.get()[0].name, "Renamed");
    EXPECT_NE(h.store.profiles.get()[1].id, p.id);
    EXPECT_EQ(h.closes, 1);
}

TEST_F(EditorModelTest, UpdateFromCurrentDockReplacesTilesOnlyWhenReadable) {
    const auto p = h.addProfile("Work", {app("Mail")});
    auto editor = h.open(p.id);
    editor->updateFromCurrentDock();
    EXPECT_EQ(labels(editor->state().appEntries), std::vector<std::string>{"Mail"});
    h.preferences.values.insert_or_assign(
        std::string(persistentAppsKey),
        PlistArray{tileDictionary(app("Maps")), tileDictionary(app("Notes"))});
    h.preferences.values.insert_or_assign(std::string(persistentOthersKey), PlistArray{});
    editor->updateFromCurrentDock();
    EXPECT_EQ(labels(editor->state().appEntries), (std::vector<std::string>{"Maps", "Notes"}));
    EXPECT_EQ(labels(appEntries(h.stored(p.id))), std::vector<std::string>{"Mail"});
}

TEST_F(EditorModelTest, ClosingWhileRecordingReleasesTheSuspension) {
    const auto p = h.addProfile("Work", {});
    auto editor = h.open(p.id);
    editor->recorder()->click();
    EXPECT_TRUE(h.hotkeys.isSuspended);
    EXPECT_EQ(h.keys.locals.size(), 1u);
    editor.reset();
    EXPECT_FALSE(h.hotkeys.isSuspended);
    EXPECT_TRUE(h.keys.locals.empty());
}

TEST_F(EditorModelTest, FocusPickerStoresNamesAndNoneClears) {
    const auto p = h.addProfile("Work", {});
    auto editor = h.open(p.id);
    EXPECT_EQ(editor->focusOptions(), (QStringList{"None", "Work", "Personal"}));
    editor->setFocusIndex(2);
    EXPECT_EQ(editor->state().focusFilter, "Personal");
    editor->setFocusIndex(0);
    EXPECT_FALSE(editor->state().focusFilter.has_value());
}

// A tile the session's dock leaves out carries the dock's reason in the strip; the others carry none.
TEST_F(EditorModelTest, TilesTheDockLeavesOutSayWhy) {
    h.preferences.name = "Plank";
    h.preferences.notShown = {{"Safari", "not an installed app"}};
    const auto p = h.addProfile("Work", {app("Mail"), app("Safari")});
    auto editor = h.open(p.id);
    KeyedListModel* tiles = editor->strip()->tiles();
    std::vector<std::string> notes;
    for (int i = 0; i < tiles->rowCount(); ++i)
        notes.push_back(tiles->data(tiles->index(i), KeyedListModel::DataRole)
                            .toMap()["notShown"]
                            .toString()
                            .toStdString());
    EXPECT_EQ(notes, (std::vector<std::string>{"", "Not shown in Plank: not an installed app"}));
}

}  // namespace
}  // namespace moorvane
