#include "platform/desktop/Settings.h"

#include <utility>

namespace moorvane::desktop {

struct Settings::Handler {
    std::function<void()> changed;
    gulong connection = 0;
    GSettings* settings = nullptr;

    ~Handler() {
        if (connection && settings) g_signal_handler_disconnect(settings, connection);
    }
    static void call(GSettings*, gchar*, gpointer self) {
        auto* handler = static_cast<Handler*>(self);
        if (handler->changed) handler->changed();
    }
};

namespace {

GSettingsSchema* lookUp(const std::string& schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    return g_settings_schema_source_lookup(source, schemaId.c_str(), TRUE);
}

struct SchemaUnref {
    void operator()(GSettingsSchema* schema) const noexcept { g_settings_schema_unref(schema); }
};

}  // namespace

bool Settings::installed(const std::string& schemaId) {
    const std::unique_ptr<GSettingsSchema, SchemaUnref> schema(lookUp(schemaId));
    return schema != nullptr;
}

std::optional<Settings> Settings::open(const std::string& schemaId, const std::string& path,
                                       GSettingsBackend* backend) {
    const std::unique_ptr<GSettingsSchema, SchemaUnref> schema(lookUp(schemaId));
    if (!schema) return std::nullopt;
    const char* fixedPath = g_settings_schema_get_path(schema.get());
    // A relocatable schema needs a path and GIO aborts on a malformed one; a fixed one takes none.
    if (!fixedPath) {
        if (path.empty() || path.front() != '/' || path.back() != '/' || path.find("//") != std::string::npos)
            return std::nullopt;
        return Settings(g_settings_new_full(schema.get(), backend, path.c_str()));
    }
    return Settings(g_settings_new_full(schema.get(), backend, nullptr));
}

Settings::Settings(GSettings* settings) : settings_(settings) {}
Settings::Settings(Settings&&) noexcept = default;
Settings& Settings::operator=(Settings&&) noexcept = default;
Settings::~Settings() {
    handler_.reset();  // disconnects while the object is still alive
}

GVariant* Settings::valueOfType(std::string_view key, const GVariantType* type) const {
    const std::string name(key);
    GSettingsSchema* schema = nullptr;
    g_object_get(settings_.get(), "settings-schema", &schema, nullptr);
    const std::unique_ptr<GSettingsSchema, SchemaUnref> held(schema);
    // GIO aborts the process on a key the schema lacks; a key of another type (a foreign or changed schema)
    // reads as absent.
    if (!schema || !g_settings_schema_has_key(schema, name.c_str())) return nullptr;
    GVariant* value = g_settings_get_value(settings_.get(), name.c_str());
    if (value && !g_variant_is_of_type(value, type)) {
        g_variant_unref(value);
        return nullptr;
    }
    return value;
}

std::vector<std::string> Settings::strings(std::string_view key) const {
    std::vector<std::string> out;
    GVariant* value = valueOfType(key, G_VARIANT_TYPE_STRING_ARRAY);
    if (!value) return out;
    gsize count = 0;
    const gchar** texts = g_variant_get_strv(value, &count);
    for (gsize i = 0; i < count; ++i) out.emplace_back(texts[i]);
    g_free(texts);
    g_variant_unref(value);
    return out;
}

std::optional<std::string> Settings::string(std::string_view key) const {
    GVariant* value = valueOfType(key, G_VARIANT_TYPE_STRING);
    if (!value) return std::nullopt;
    std::string out = g_variant_get_string(value, nullptr);
    g_variant_unref(value);
    return out;
}

std::optional<bool> Settings::boolean(std::string_view key) const {
    GVariant* value = valueOfType(key, G_VARIANT_TYPE_BOOLEAN);
    if (!value) return std::nullopt;
    const bool out = g_variant_get_boolean(value);
    g_variant_unref(value);
    return out;
}

Status Settings::setStrings(std::string_view key, const std::vector<std::string>& value) {
    const std::string name(key);
    GSettingsSchema* schema = nullptr;
    g_object_get(settings_.get(), "settings-schema", &schema, nullptr);
    const std::unique_ptr<GSettingsSchema, SchemaUnref> held(schema);
    if (!schema || !g_settings_schema_has_key(schema, name.c_str()))
        return Error{"the settings have no key \u201C" + name + "\u201D"};
    std::vector<const gchar*> texts;
    texts.reserve(value.size() + 1);
    for (const std::string& text : value) texts.push_back(text.c_str());
    texts.push_back(nullptr);
    if (!g_settings_set_strv(settings_.get(), name.c_str(), texts.data()))
        return Error{"the key \u201C" + name + "\u201D is not writable"};
    g_settings_sync();
    return done();
}

void Settings::onChanged(std::string_view key, std::function<void()> changed) {
    handler_.reset();
    auto handler = std::make_unique<Handler>();
    handler->changed = std::move(changed);
    handler->settings = settings_.get();
    const std::string signal = "changed::" + std::string(key);
    handler->connection =
        g_signal_connect(settings_.get(), signal.c_str(), G_CALLBACK(&Handler::call), handler.get());
    handler_ = std::move(handler);
}

}  // namespace moorvane::desktop
