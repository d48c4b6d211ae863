#pragma once

// GIO first: Qt's "signals" macro, when a Qt header comes before, breaks a GIO struct field.
#include <gio/gio.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace moorvane::desktop {

// Holds one reference to a GObject and drops it when destroyed.
template <typename T>
struct GObjectDeleter {
    void operator()(T* object) const noexcept {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

// One GSettings object, opened only when its schema is installed: GIO aborts the process on a schema it
// cannot find. Change handlers run on the thread whose GLib main context was current at open (Qt's main
// thread).
class Settings {
  public:
    // Nothing when `schemaId` is not installed (or, for a relocatable schema, `path` is empty or not a valid
    // path ending in '/'). `backend` is the session's default when null; tests pass a read-only one to see a
    // refused write.
    static std::optional<Settings> open(const std::string& schemaId, const std::string& path = {},
                                        GSettingsBackend* backend = nullptr);
    // Whether the schema is installed, without opening it.
    static bool installed(const std::string& schemaId);

    Settings(Settings&&) noexcept;
    Settings& operator=(Settings&&) noexcept;
    ~Settings();

    // The key's list of texts; an empty list when the key is not a list of texts.
    std::vector<std::string> strings(std::string_view key) const;
    // The key's text, or its boolean; none when the key is missing or of another type.
    std::optional<std::string> string(std::string_view key) const;
    std::optional<bool> boolean(std::string_view key) const;
    // Writes the list and waits until it is stored; an Error when the key is not writable or not a list.
    Status setStrings(std::string_view key, const std::vector<std::string>& value);
    // `changed` runs after every change of the key, from any writer, this process included (GSettings reports
    // a process's own writes at once, from inside setStrings). Replaces an earlier handler of this object.
    void onChanged(std::string_view key, std::function<void()> changed);

    GSettings* raw() const { return settings_.get(); }

  private:
    struct Handler;
    // The key's value when it has `type`, for the caller to unref; null otherwise.
    GVariant* valueOfType(std::string_view key, const GVariantType* type) const;
    explicit Settings(GSettings* settings);
    GObjectPtr<GSettings> settings_;
    std::unique_ptr<Handler> handler_;
};

}  // namespace moorvane::desktop
