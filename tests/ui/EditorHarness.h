#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dock/TileCodec.h"
#include "exchange/ProfileIO.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeKeyMonitor.h"
#include "fakes/Fixtures.h"
#include "fakes/StoreRig.h"
#include "store/ProfileStore.h"
#include "triggers/HotkeyManager.h"
#include "ui/ProfileEditorModel.h"

namespace moorvane::testing {

inline DockAppEntry app(const std::string& name) {
    DockAppEntry e;
    e.label = name;
    e.bundleIdentifier = "com.example." + name;
    e.path = "file:///Applications/" + name + ".app/";
    return e;
}

inline Bytes blobOf(const std::vector<DockAppEntry>& entries) {
    PlistArray tiles;
    for (const auto& e : entries) tiles.push_back(tileDictionary(e));
    return *encodeTiles(tiles);
}

inline std::vector<std::string> labels(const std::vector<DockAppEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.label);
    return out;
}

// The real store, Dock manager and hotkey manager over the fakes, with an editor opened on demand.
struct EditorHarness : StoreWithProfiles {
    DockProfile addProfile(const std::string& name, const std::vector<DockAppEntry>& entries) {
        DockProfile p = profileWithTiles(name);
        p.persistentApps = blobOf(entries);
        store.profiles.modify([&](auto& list) { list.push_back(p); });
        return p;
    }
    void change(const Uuid& id, const std::function<void(DockProfile&)>& edit) {
        store.profiles.modify([&](auto& list) {
            for (auto& p : list) {
                if (p.id == id) edit(p);
            }
        });
    }
    const DockProfile& stored(const Uuid& id) const { return *editor::findProfile(store.profiles.get(), id); }

    std::unique_ptr<ProfileEditorModel> open(const Uuid& id) {
        EditorServices services{
            store, dock, hotkeys, keys, io, {"Work", "Personal"}, {}, [this] { ++beeps; }};
        auto model = std::make_unique<ProfileEditorModel>(std::move(services), id);
        QObject::connect(model.get(), &ProfileEditorModel::closeRequested, [this] { ++closes; });
        model->load();
        return model;
    }

    FakeKeyMonitor keys;
    HotkeyManager hotkeys{keys, queue, store};
    FakeDialogs dialogs;
    ProfileIO io{store, dialogs};
    int beeps = 0;
    int closes = 0;
};

}  // namespace moorvane::testing
