#include "plank/FakePlank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "fakes/TextFiles.h"
#include "platform/plank/DockItems.h"

namespace moorvane::plank::testing {

namespace {

constexpr const char* itemsXml = R"(<node><interface name="net.launchpad.plank.Items">
  <method name="Add"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
  <method name="Remove"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
  <method name="GetPersistentApplications"><arg type="as" direction="out"/></method>
</interface></node>)";

}  // namespace

FakePlank::FakePlank(std::string busAddress, std::string dockName, std::string launchersFolder,
                     std::vector<std::string> tiles)
    : dockName_(std::move(dockName)), launchersFolder_(std::move(launchersFolder)), tiles_(std::move(tiles)) {
    context_ = g_main_context_new();
    loop_ = g_main_loop_new(context_, FALSE);
    thread_ = std::thread([this, address = std::move(busAddress)] { serve(address); });
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return serving_; });
}

FakePlank::~FakePlank() {
    g_main_context_invoke(
        context_,
        [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_);
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

std::vector<std::string> FakePlank::tiles() const {
    std::lock_guard lock(mutex_);
    return tiles_;
}

void FakePlank::failAt(std::string call) {
    std::lock_guard lock(mutex_);
    failAt_ = std::move(call);
}

void FakePlank::vanishAt(std::string call) {
    std::lock_guard lock(mutex_);
    vanishAt_ = std::move(call);
}

void FakePlank::serve(std::string busAddress) {
    g_main_context_push_thread_default(context_);
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        busAddress.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    EXPECT_NE(connection, nullptr) << (error ? error->message : "");
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(itemsXml, nullptr);
    static const GDBusInterfaceVTable vtable = {&FakePlank::methodCall, nullptr, nullptr, {}};
    guint object = 0;
    if (connection) {
        object = g_dbus_connection_register_object(connection, ("/net/launchpad/plank/" + dockName_).c_str(),
                                                   node->interfaces[0], &vtable, this, nullptr, nullptr);
        GVariant* owned = g_dbus_connection_call_sync(
            connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "net.launchpad.plank", 0u), G_VARIANT_TYPE("(u)"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        EXPECT_NE(owned, nullptr);
        if (owned) g_variant_unref(owned);
    }
    {
        std::lock_guard lock(mutex_);
        serving_ = true;
    }
    ready_.notify_all();
    g_main_loop_run(loop_);
    if (connection) {
        g_dbus_connection_unregister_object(connection, object);
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_object_unref(connection);
    }
    g_dbus_node_info_unref(node);
    g_clear_error(&error);
    g_main_context_pop_thread_default(context_);
}

void FakePlank::methodCall(GDBusConnection* connection, const gchar*, const gchar*, const gchar*,
                           const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                           gpointer self) {
    static_cast<FakePlank*>(self)->answer(connection, method, parameters, invocation);
}

void FakePlank::answer(GDBusConnection* connection, const std::string& method, GVariant* parameters,
                       GDBusMethodInvocation* invocation) {
    std::unique_lock lock(mutex_);
    if (method == "GetPersistentApplications") {
        GVariantBuilder apps;
        g_variant_builder_init(&apps, G_VARIANT_TYPE("as"));
        for (const std::string& tile : tiles_) {
            if (tile.ends_with(".desktop")) g_variant_builder_add(&apps, "s", tile.c_str());
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(as)", &apps));
        return;
    }
    const gchar* launcher = nullptr;
    g_variant_get(parameters, "(&s)", &launcher);
    const std::string call = method + " " + launcher;
    if (call == vanishAt_) {
        // Gone before answering: the bus answers the caller that no reply will come, and the name is free.
        lock.unlock();
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.NoReply", "gone");
        return;
    }
    if (call == failAt_) {
        failAt_.clear();
        g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                                   "refused");
        return;
    }
    const auto at = std::find(tiles_.begin(), tiles_.end(), launcher);
    bool done = false;
    if (method == "Add" && at == tiles_.end()) {
        tiles_.emplace_back(launcher);
        std::vector<std::string> taken;
        for (const DockItem& item : readLaunchersFolder(launchersFolder_)) taken.push_back(item.fileName);
        moorvane::testing::writeText(
            std::filesystem::path(launchersFolder_) / dockItemFileName(launcher, taken),
            dockItemText(launcher));
        done = true;
    } else if (method == "Remove" && at != tiles_.end()) {
        tiles_.erase(at);
        // Plank forgets a removed app's file but keeps a folder's or file's.
        for (const DockItem& item : readLaunchersFolder(launchersFolder_)) {
            if (item.launcher == launcher && item.launcher.ends_with(".desktop"))
                std::filesystem::remove(std::filesystem::path(launchersFolder_) / item.fileName);
        }
        done = true;
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", done));
}

}  // namespace moorvane::plank::testing
