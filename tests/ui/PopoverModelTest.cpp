#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include "EditorHarness.h"
#include "fakes/FakeSettingsPorts.h"
#include "model/AppSettings.h"
#include "triggers/FocusModeObserver.h"
#include "ui/popover/PopoverModel.h"

namespace moorvane {
namespace {

using testing::app;

class PopoverModelTest : public ::testing::Test {
  protected:
    testing::EditorHarness h;
    testing::FakeUserDefaults defaults;
    testing::FakeLoginItems loginItems;
    testing::FakeAppActivation activation;
    AppSettings settings{defaults, loginItems, activation};
    FocusModeObserver focus{h.dir.path(), h.store};
    std::vector<Uuid> edited;
    int quits = 0;
    int updateChecks = 0;

    std::unique_ptr<PopoverModel> open() {
        return std::make_unique<PopoverModel>(
            PopoverServices{h.store,
                            settings,
                            focus,
                            h.queue,
                            h.io,
                            [this](const Uuid& id) { edited.push_back(id); },
                            [this] { ++quits; },
                            [this] { ++updateChecks; },
                            "Version 1.0 (1)",
                            {},
                            [] { return Date{std::chrono::hours(24 * 365 * 30)}; }});
    }
    QString rowText(PopoverModel& m, int row, ProfileListModel::Role role) {
        return m.rows()->data(m.rows()->index(row), role).toString();
    }
};

TEST_F(PopoverModelTest, HeaderFollowsTheActiveProfileAndTheFocusMode) {
    auto m = open();
    EXPECT_FALSE(m->hasProfiles());
    EXPECT_FALSE(m->showsHint());  // the welcome panel stands in for it
    const auto work = h.addProfile("Work", {});
    h.store.activeProfileId = Uuid::random();  // names nothing
    EXPECT_EQ(m->headerName(), "Moorvane");
    EXPECT_FALSE(m->hasActiveProfile());
    h.change(work.id, [](DockProfile& p) { p.colorName = "mint"; });
    h.store.activeProfileId = work.id;
    EXPECT_EQ(m->headerName(), "Work");
    EXPECT_EQ(m->headerColorName(), "mint");
    EXPECT_TRUE(m->rows()->data(m->rows()->index(0), ProfileListModel::IsActiveRole).toBool());
    focus.currentFocusMode = std::string("Gaming");
    EXPECT_EQ(m->focusModeName(), "Gaming");
}

TEST_F(PopoverModelTest, RowsCountAppsButNeverSpacersAndStripFiveIcons) {
    const auto spacer = DockAppEntry::spacer(SpacerType::small);
    struct Case {
        std::vector<DockAppEntry> entries;
        const char* count;
        const char* overflow;
        qsizetype icons;
    } cases[] = {
        {{}, "0 apps", "", 0},
        {{spacer, app("Mail"), spacer}, "1 app", "", 1},
        {{app("A"), app("B"), app("C"), app("D"), app("E")}, "5 apps", "", 5},
        {{app("A"), app("B"), spacer, app("C"), app("D"), app("E"), app("F"), app("G")}, "7 apps", "+2", 5},
    };
    for (const auto& c : cases) h.addProfile(c.count, c.entries);
    auto m = open();
    for (int row = 0; row < 4; ++row) {
        const auto& c = cases[row];
        EXPECT_EQ(rowText(*m, row, ProfileListModel::CountTextRole), c.count);
        EXPECT_EQ(rowText(*m, row, ProfileListModel::OverflowTextRole), c.overflow) << c.count;
        const auto icons = m->rows()->data(m->rows()->index(row), ProfileListModel::IconsRole).toStringList();
        EXPECT_EQ(icons.size(), c.icons) << c.count;
    }
}

TEST_F(PopoverModelTest, DetailsMarksFocusHiddenAppsAndOnlyParsingShortcuts) {
    const auto p = h.addProfile("Work", {app("Mail"), app("Maps")});
    h.change(p.id, [](DockProfile& s) {
        s.focusFilter = "Work";
        s.hiddenApps = std::vector<std::string>{"com.example.Gone"};  // not among the tiles: no mark
        s.keyboardShortcut = "cmd+alt+1";
    });
    const auto q = h.addProfile("Home", {app("Maps")});
    h.change(q.id, [](DockProfile& s) {
        s.hiddenApps = std::vector<std::string>{"com.example.Maps"};
        s.keyboardShortcut = "hyper+banana";
    });
    auto m = open();
    EXPECT_EQ(rowText(*m, 0, ProfileListModel::DetailsRole), "2 apps, Focus Work, shortcut \u2325\u23181");
    EXPECT_EQ(rowText(*m, 0, ProfileListModel::ShortcutRole), "\u2325\u23181");
    EXPECT_EQ(rowText(*m, 1, ProfileListModel::DetailsRole), "1 app, some apps hidden");
    EXPECT_EQ(rowText(*m, 1, ProfileListModel::ShortcutRole), "");
}

TEST_F(PopoverModelTest, RowActionsSwitchOnlyInactiveRowsAndReachTheStore) {
    const auto work = h.addProfile("Work", {app("Mail")});
    const auto home = h.addProfile("Home", {app("Maps")});
    h.store.activeProfileId = work.id;
    auto m = open();
    const auto idOf = [](const DockProfile& p) { return QString::fromStdString(p.id.text()); };
    m->activate(idOf(work));  // the active one
    EXPECT_TRUE(h.preferences.setKeys.empty());
    m->activate(idOf(home));
    EXPECT_EQ(h.store.activeProfileId.get(), home.id);
    EXPECT_FALSE(h.preferences.setKeys.empty());

    int closes = 0;
    QObject::connect(m.get(), &PopoverModel::closeRequested, [&] { ++closes; });
    m->edit(idOf(home));
    EXPECT_EQ(edited, std::vector<Uuid>{home.id});
    EXPECT_EQ(closes, 1);
    // Duplicating and removing by identifier: AMenuOpenWhileTheListChangesActsOnItsOwnProfile.
    m->remove(QStringLiteral("not an identifier"));
    m->remove(QString::fromStdString(Uuid::random().text()));
    EXPECT_EQ(m->rows()->count(), 2);
}

TEST_F(PopoverModelTest, AMenuOpenWhileTheListChangesActsOnItsOwnProfile) {
    const auto work = h.addProfile("Work", {app("Mail")});
    h.addProfile("Home", {app("Maps")});
    h.addProfile("Play", {app("Music")});
    auto m = open();
    // The menu opens on Home, the second row; then another profile goes (an import, a switch elsewhere) and
    // Play moves up into that row.
    const QString menuProfile = rowText(*m, 1, ProfileListModel::ProfileIdRole);
    h.store.deleteProfile(work.id);
    ASSERT_EQ(rowText(*m, 1, ProfileListModel::NameRole), "Play");
    const auto names = [&] {
        std::vector<std::string> out;
        for (const auto& p : h.store.profiles.get()) out.push_back(p.name);
        return out;
    };
    m->duplicate(menuProfile);
    EXPECT_EQ(names(), (std::vector<std::string>{"Home", "Home (Copy)", "Play"}));
    m->remove(menuProfile);
    EXPECT_EQ(names(), (std::vector<std::string>{"Home (Copy)", "Play"}));
    m->edit(menuProfile);  // Home is gone: nothing opens
    EXPECT_TRUE(edited.empty());
}

TEST_F(PopoverModelTest, FormSuggestsNamesKeepsColourOnCancelAndResetsOnSave) {
    h.preferences.values.clear();  // the Dock cannot be read: a capture yields nothing
    auto m = open();
    m->openAddForm();
    EXPECT_TRUE(m->newProfileName().startsWith("Dock "));
    m->setNewProfileName("typed");
    m->openAddForm();  // a second press brings a fresh suggestion
    EXPECT_TRUE(m->newProfileName().startsWith("Dock "));
    m->selectColor("teal");
    m->cancel();
    EXPECT_FALSE(m->isAddingProfile());
    EXPECT_EQ(m->newProfileName(), "");
    EXPECT_EQ(m->selectedColor(), "teal");

    m->openAddForm();
    m->setNewProfileName("");
    m->save();  // an empty name does nothing
    EXPECT_TRUE(m->isAddingProfile());
    m->setNewProfileName("  ");  // spaces are a name
    m->save();
    EXPECT_FALSE(m->isAddingProfile());
    EXPECT_EQ(m->selectedColor(), "blue");
    EXPECT_EQ(m->rows()->count(), 0);
}

TEST(PopoverSuggestedName, UsesTheLocalesShortStyles) {
    std::unique_ptr<icu::TimeZone> previous(icu::TimeZone::createDefault());
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("UTC"));
    const Date moment = std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} + std::chrono::hours{15};
    const std::string us = popover::suggestedProfileName(moment, "en_US");
    EXPECT_TRUE(us == "Dock 12/7/26, 3:00 PM" || us == "Dock 12/7/26, 3:00\u202fPM") << us;
    EXPECT_EQ(popover::suggestedProfileName(moment, "de_DE"), "Dock 07.12.26, 15:00");
    icu::TimeZone::adoptDefault(previous.release());
}

TEST_F(PopoverModelTest, HintImportAndPagesDeferOrPersistAsTheUserExpects) {
    h.addProfile("Work", {});
    auto m = open();
    EXPECT_TRUE(m->showsHint());
    m->dismissHint();
    EXPECT_FALSE(m->showsHint());
    EXPECT_TRUE(AppSettings(defaults, loginItems, activation).hasSeenProfileHint());  // persisted

    m->importProfiles();
    EXPECT_TRUE(h.dialogs.openPanels.empty());  // not within the click
    h.queue.drain();
    EXPECT_EQ(h.dialogs.openPanels.size(), 1u);

    m->openAddForm();
    m->showSettings();
    m->showProfiles();
    EXPECT_TRUE(m->isAddingProfile());  // the form outlives a visit to the settings page
}

TEST_F(PopoverModelTest, SettingsPageShowsTheSystemsLoginStateAndHoldsARefusal) {
    auto m = open();
    SettingsPageModel& page = *m->settingsPage();
    loginItems.current = LoginItemStatus::enabled;  // changed elsewhere in the system
    EXPECT_FALSE(page.launchesAtLogin());
    m->showSettings();
    EXPECT_TRUE(page.launchesAtLogin());

    loginItems.current = LoginItemStatus::notRegistered;
    loginItems.registerRefusal = "Operation not permitted";
    page.setLaunchAtLogin(true);
    EXPECT_FALSE(page.launchesAtLogin());
    EXPECT_EQ(page.launchAtLoginError(), "Operation not permitted");
    page.refresh();  // showing the page again keeps the refusal
    EXPECT_EQ(page.launchAtLoginError(), "Operation not permitted");
    loginItems.registerRefusal.reset();
    page.setLaunchAtLogin(true);
    EXPECT_TRUE(page.launchesAtLogin());
    EXPECT_EQ(page.launchAtLoginError(), "");

    page.setAppVisibility(1);
    EXPECT_EQ(activation.applied.back(), ActivationPolicy::regular);
    page.setAppVisibility(5);  // not a segment
    EXPECT_EQ(page.appVisibility(), 1);
    page.checkForUpdates();
    EXPECT_EQ(updateChecks, 0);  // not within the click: its window would tear down the page it came from
    h.queue.drain();
    EXPECT_EQ(updateChecks, 1);
}

}  // namespace
}  // namespace moorvane
