#include "platform/gnome/GnomeDoNotDisturb.h"

#include <utility>

namespace moorvane {

namespace {

// g_settings_get_boolean aborts the process on a key of another type, as a changed or foreign schema could
// have.
bool holdsBoolean(GSettings* settings, const std::string& key) {
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    if (!schema) return false;
    bool boolean = false;
    if (g_settings_schema_has_key(schema, key.c_str())) {
        GSettingsSchemaKey* found = g_settings_schema_get_key(schema, key.c_str());
        boolean = g_variant_type_equal(g_settings_schema_key_get_value_type(found), G_VARIANT_TYPE_BOOLEAN);
        g_settings_schema_key_unref(found);
    }
    g_settings_schema_unref(schema);
    return boolean;
}

}  // namespace

std::unique_ptr<GnomeDoNotDisturb> GnomeDoNotDisturb::open(GSettingsBackend* backend) {
    std::optional<desktop::Settings> settings = desktop::Settings::open(std::string(schemaId), {}, backend);
    if (!settings || !holdsBoolean(settings->raw(), std::string(showBannersKey))) return nullptr;
    return std::unique_ptr<GnomeDoNotDisturb>(new GnomeDoNotDisturb(std::move(*settings)));
}

GnomeDoNotDisturb::GnomeDoNotDisturb(desktop::Settings settings) : settings_(std::move(settings)) {}

std::optional<std::string> GnomeDoNotDisturb::activeMode() {
    const std::string key(showBannersKey);
    if (g_settings_get_boolean(settings_.raw(), key.c_str())) return std::nullopt;
    return std::string(modeName);
}

std::vector<std::string> GnomeDoNotDisturb::modeNames() {
    return {std::string(modeName)};
}

void GnomeDoNotDisturb::observeChanges(std::function<void()> changed) {
    settings_.onChanged(showBannersKey, std::move(changed));
}

}  // namespace moorvane
