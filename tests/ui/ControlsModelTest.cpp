#include <gtest/gtest.h>

#include "EditorHarness.h"
#include "fakes/TextFiles.h"
#include "model/ShortcutText.h"
#include "ui/editor/GroupEditorModel.h"
#include "ui/editor/HotkeyRecorderModel.h"
#include "ui/picker/AppPickerModel.h"

namespace moorvane {
namespace {

using testing::app;
using testing::labels;

InstalledApp installed(const std::string& name, const std::string& bundle) {
    return {"/Applications/" + name + ".app", name, "/Applications/" + name + ".app", bundle};
}

std::vector<std::string> names(const std::vector<const InstalledApp*>& apps) {
    std::vector<std::string> out;
    for (const auto* a : apps) out.push_back(a->name);
    return out;
}

const std::vector<InstalledApp> scan = {
    installed("Calendar", "com.apple.iCal"), installed("Mail", "com.apple.mail"),
    installed("Safari", "com.apple.Safari"), installed("Text Edit", "com.apple.TextEdit")};

TEST(AppPickerModelTest, SearchMatchesNamesOnlyAsTyped) {
    const auto found = [](const char* text) {
        return names(availableApps(scan, {}, QString::fromUtf8(text)));
    };
    EXPECT_EQ(found(""), (std::vector<std::string>{"Calendar", "Mail", "Safari", "Text Edit"}));
    EXPECT_EQ(found("saf"), std::vector<std::string>{"Safari"});
    EXPECT_TRUE(found("iCal").empty()) << "bundle identifiers are not searched";
    EXPECT_EQ(found(" edit"), std::vector<std::string>{"Text Edit"}) << "a leading space is kept";
}

TEST(AppPickerModelTest, AvailableListFollowsTheProfilesAppsAndApplyHandsBackTheList) {
    DockAppEntry mail = app("Mail");
    mail.bundleIdentifier = "com.apple.mail";
    DockAppEntry mailTwin = mail;  // same identifier: one row's removal takes both
    std::vector<DockAppEntry> applied;
    int closes = 0;
    AppPickerModel picker("Work", {mail, mailTwin}, scan, [&](const auto& list) { applied = list; }, {});
    QObject::connect(&picker, &AppPickerModel::closeRequested, [&] { ++closes; });
    EXPECT_EQ(picker.available()->rowCount(), 3);

    picker.remove(QString::fromStdString(mail.id.text()));
    EXPECT_TRUE(picker.entries().empty());
    EXPECT_EQ(picker.available()->rows().at(1)["name"], "Mail");

    picker.add("com.apple.Safari");
    picker.addSmallSpacer();
    picker.add("com.apple.iCal");
    EXPECT_EQ(picker.profileAppCount(), "2");
    EXPECT_EQ(picker.available()->rowCount(), 2);
    picker.move(2, 0);
    EXPECT_EQ(labels(picker.entries()), (std::vector<std::string>{"Calendar", "Safari", "Small Spacer"}));
    EXPECT_TRUE(applied.empty());  // nothing reaches the editor before Apply
    picker.apply();
    EXPECT_EQ(labels(applied), (std::vector<std::string>{"Calendar", "Safari", "Small Spacer"}));
    EXPECT_EQ(applied[0].path, "/Applications/Calendar.app");
    EXPECT_EQ(closes, 1);
}

// A list the pointer is over must not be rebuilt by an edit: every change arrives as the rows it touches, so
// the view keeps its scroll position and the row under the pointer stays the row that was there.
struct RowSignals {
    explicit RowSignals(QAbstractItemModel* model) {
        QObject::connect(model, &QAbstractItemModel::modelReset, [this] { ++resets; });
        QObject::connect(model, &QAbstractItemModel::rowsInserted,
                         [this](auto, int a, int) { inserted.push_back(a); });
        QObject::connect(model, &QAbstractItemModel::rowsRemoved,
                         [this](auto, int a, int) { removed.push_back(a); });
        QObject::connect(model, &QAbstractItemModel::rowsMoved, [this] { ++moves; });
        QObject::connect(model, &QAbstractItemModel::dataChanged,
                         [this](auto a, auto) { changed.push_back(a.row()); });
    }
    int resets = 0, moves = 0;
    std::vector<int> inserted, removed, changed;
};

TEST(EditedListsTest, ChangeOnlyTheRowsAnEditTouches) {
    DockAppEntry mail = app("Mail");
    mail.bundleIdentifier = "com.apple.mail";
    AppPickerModel picker("Work", {mail, DockAppEntry::spacer(SpacerType::small), mail}, scan, {}, {});
    // Entries sharing an identifier are still two rows, each with its own key.
    EXPECT_EQ(picker.profileRows()->rowCount(), 3);
    RowSignals rows(picker.profileRows()), available(picker.available());

    picker.add("com.apple.Safari");
    EXPECT_EQ(rows.inserted, std::vector<int>{3});
    EXPECT_EQ(available.removed, std::vector<int>{1});  // Calendar, Safari, Text Edit: Safari leaves in place
    picker.move(3, 0);
    picker.move(1, 3);  // a drag one row down: Safari, Small Spacer, Mail, Mail
    EXPECT_EQ(rows.moves, 2);
    std::vector<QString> shown;
    for (const auto& row : picker.profileRows()->rows()) shown.push_back(row["label"].toString());
    EXPECT_EQ(shown, (std::vector<QString>{"Safari", "Spacer", "Mail", "Mail"}));
    picker.setSearchText("t");
    EXPECT_EQ(available.removed, (std::vector<int>{1, 0}));  // Calendar has no "t"
    picker.setSearchText("");
    EXPECT_EQ(available.inserted, std::vector<int>{0});
    EXPECT_EQ(rows.resets + available.resets, 0);

    const std::vector<DockAppEntry> candidates = {app("A"), app("B"), app("C")};
    GroupEditorModel sheet(editor::newGroupDraft(), candidates, {}, true, {}, {}, {});
    RowSignals members(sheet.candidates());
    sheet.setName("Typed");
    sheet.toggle("com.example.B");
    EXPECT_EQ(members.changed, std::vector<int>{1});
    EXPECT_TRUE(sheet.candidates()->rows().at(1)["selected"].toBool());
    EXPECT_EQ(members.resets + members.moves, 0);
    EXPECT_TRUE(members.inserted.empty() && members.removed.empty());
}

struct DraftCase {
    const char* name;
    const char* groupName;
    std::vector<std::string> toggles;
    bool valid;
    std::vector<std::string> members;
};

class GroupDraftTest : public ::testing::TestWithParam<DraftCase> {};

TEST_P(GroupDraftTest, ValidityAndToggling) {
    const std::vector<DockAppEntry> candidates = {app("A"), app("B"), app("C")};
    std::optional<AppGroup> saved;
    AppGroup draft = editor::newGroupDraft();
    draft.name = GetParam().groupName;
    draft.bundleIdentifiers = {"com.example.Gone"};  // a member no longer among the candidates still counts
    GroupEditorModel sheet(draft, candidates, {"com.example.C"}, true, [&](const AppGroup& g) { saved = g; },
                           {}, {});
    for (const auto& t : GetParam().toggles) sheet.toggle(QString::fromStdString("com.example." + t));
    EXPECT_EQ(sheet.isValid(), GetParam().valid);
    std::vector<std::string> expected = {"com.example.Gone"};
    for (const auto& m : GetParam().members) expected.push_back("com.example." + m);
    EXPECT_EQ(sheet.draft().bundleIdentifiers, expected);
    sheet.save();
    EXPECT_EQ(saved.has_value(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Cases, GroupDraftTest,
                         ::testing::Values(DraftCase{"OnlySpacesName", "   ", {"A"}, false, {"A"}},
                                           DraftCase{"OneMember", "Dev", {}, false, {}},
                                           DraftCase{"ClaimedRowChangesNothing", "Dev", {"C"}, false, {}},
                                           DraftCase{
                                               "SecondClickRemoves", "Dev", {"A", "B", "A"}, true, {"B"}},
                                           DraftCase{"LineBreakIsAName", "\n", {"A"}, true, {"A"}}),
                         testing::caseName);

struct KeyCase {
    const char* name;
    KeyEvent event;
    bool stillRecording;
    bool beeped;
    std::optional<std::string> shortcut;
};

class RecorderKeyTest : public ::testing::TestWithParam<KeyCase> {
  protected:
    testing::EditorHarness h;
};

constexpr std::uint32_t cmd = ShortcutModifiers::command, shift = ShortcutModifiers::shift;

TEST_P(RecorderKeyTest, AcceptsOnlyAModifiedKeyOfTheTable) {
    std::optional<std::string> shortcut = "ctrl+opt+x";
    HotkeyRecorderModel recorder(shortcut, h.keys, h.hotkeys, [&] { ++h.beeps; });
    recorder.click();
    EXPECT_FALSE(recorder.showsRemove());
    EXPECT_TRUE(h.keys.pressInApp(GetParam().event));  // consumed, whatever it was
    EXPECT_EQ(recorder.isRecording(), GetParam().stillRecording);
    EXPECT_EQ(h.hotkeys.isSuspended, GetParam().stillRecording);
    EXPECT_EQ(h.beeps, GetParam().beeped ? 1 : 0);
    EXPECT_EQ(shortcut, GetParam().shortcut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecorderKeyTest,
    ::testing::Values(KeyCase{"CommandShiftK", {40, cmd | shift, false}, false, false, "cmd+shift+k"},
                      KeyCase{"RepeatCountsLikeAnyKey", {40, cmd, true}, false, false, "cmd+k"},
                      KeyCase{"ShiftOnly", {40, shift, false}, true, true, "ctrl+opt+x"},
                      KeyCase{"KeyOutsideTheTable", {82, cmd, false}, true, true, "ctrl+opt+x"},
                      KeyCase{"CommandEscapeCancels", {53, cmd, false}, false, false, "ctrl+opt+x"}),
    testing::caseName);

TEST(HotkeyRecorderModelTest, LabelsRemovalAndSuspensionEvenWithARefusedMonitor) {
    testing::EditorHarness h;
    const auto other = h.addProfile("Home", {});
    h.change(other.id, [](DockProfile& p) { p.keyboardShortcut = "cmd+k"; });
    std::optional<std::string> shortcut = "cmd+nonsense";
    HotkeyRecorderModel recorder(shortcut, h.keys, h.hotkeys, {});
    EXPECT_TRUE(recorder.showsRemove());

    h.hotkeys.start();
    recorder.click();
    h.keys.pressInApp({40, cmd, false});
    h.queue.drain();
    EXPECT_FALSE(h.store.activeProfileId.get().has_value());  // recording, not switching
    EXPECT_EQ(recorder.label(), "\u2318K");

    recorder.removeShortcut();
    EXPECT_FALSE(shortcut.has_value());
    EXPECT_FALSE(recorder.showsRemove());

    recorder.click();
    recorder.click();  // a second click stops without change
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(h.hotkeys.isSuspended);

    h.keys.refuseLocal = true;  // without its monitor it still records until clicked again
    recorder.click();
    EXPECT_TRUE(recorder.isRecording());
    recorder.click();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(h.hotkeys.isSuspended);
}

}  // namespace
}  // namespace moorvane
