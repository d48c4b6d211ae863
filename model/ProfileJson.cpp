#include "model/ProfileJson.h"

#include "base/Base64.h"

namespace moorvane {

namespace {

using nlohmann::json;

// Reads the keys of one object, remembering the first failure so a caller can stop with a message naming the
// key.
class ObjectReader {
  public:
    explicit ObjectReader(const json& object) : object_(object) {}

    // A member that is absent or JSON null counts as missing.
    const json* member(const char* key) const {
        const auto found = object_.find(key);
        if (found == object_.end() || found->is_null()) return nullptr;
        return &*found;
    }

    bool failed() const { return error_.has_value(); }
    Error error() const { return *error_; }

    void missing(const char* key) { fail(key, "is missing"); }
    void mistyped(const char* key, const char* expected) { fail(key, std::string("is not ") + expected); }

    std::optional<std::string> text(const char* key) {
        const json* value = member(key);
        if (!value) return std::nullopt;
        if (!value->is_string()) {
            mistyped(key, "text");
            return std::nullopt;
        }
        return value->get<std::string>();
    }

    std::optional<std::string> requiredText(const char* key) {
        auto value = text(key);
        if (!value && !failed()) missing(key);
        return value;
    }

    std::optional<bool> boolean(const char* key) {
        const json* value = member(key);
        if (!value) return std::nullopt;
        if (!value->is_boolean()) {
            mistyped(key, "true or false");
            return std::nullopt;
        }
        return value->get<bool>();
    }

    std::optional<std::vector<std::string>> texts(const char* key) {
        const json* value = member(key);
        if (!value) return std::nullopt;
        if (!value->is_array()) {
            mistyped(key, "an array of text");
            return std::nullopt;
        }
        std::vector<std::string> out;
        out.reserve(value->size());
        for (const auto& element : *value) {
            if (!element.is_string()) {
                mistyped(key, "an array of text");
                return std::nullopt;
            }
            out.push_back(element.get<std::string>());
        }
        return out;
    }

    std::optional<Uuid> uuid(const char* key) {
        auto value = text(key);
        if (!value) return std::nullopt;
        auto parsed = Uuid::parse(*value);
        if (!parsed) mistyped(key, "a UUID");
        return parsed;
    }

    std::optional<Bytes> bytes(const char* key) {
        auto value = requiredText(key);
        if (!value) return std::nullopt;
        auto decoded = base64Decode(*value);
        if (!decoded) mistyped(key, "Base64 text");
        return decoded;
    }

    std::optional<Date> date(const char* key, DateEncoding encoding) {
        const json* value = member(key);
        if (!value) return std::nullopt;
        if (encoding == DateEncoding::referenceSeconds) {
            if (!value->is_number()) {
                mistyped(key, "a number of seconds");
                return std::nullopt;
            }
            return dateFromReferenceSeconds(value->get<double>());
        }
        std::optional<Date> parsed;
        if (value->is_string()) parsed = parseIso8601(value->get_ref<const std::string&>());
        if (!parsed) mistyped(key, "an ISO 8601 date");
        return parsed;
    }

  private:
    void fail(const char* key, const std::string& problem) {
        if (!error_) error_ = Error{std::string("key \"") + key + "\" " + problem};
    }

    const json& object_;
    std::optional<Error> error_;
};

}  // namespace

OrderedJson groupToJson(const AppGroup& group) {
    OrderedJson out = OrderedJson::object();
    out["id"] = group.id.text();
    out["name"] = group.name;
    out["symbolName"] = group.symbolName;
    out["bundleIdentifiers"] = group.bundleIdentifiers;
    return out;
}

Result<AppGroup> groupFromJson(const json& value) {
    if (!value.is_object()) return Error{"group is not an object"};
    ObjectReader reader(value);
    AppGroup group;
    if (auto id = reader.uuid("id")) group.id = *id;
    if (auto name = reader.text("name")) group.name = *name;
    if (auto symbol = reader.text("symbolName")) group.symbolName = *symbol;
    if (auto members = reader.texts("bundleIdentifiers")) group.bundleIdentifiers = std::move(*members);
    if (reader.failed()) return reader.error();
    return group;
}

OrderedJson profileToJson(const DockProfile& profile, DateEncoding dates) {
    const auto date = [dates](Date value) -> OrderedJson {
        if (dates == DateEncoding::referenceSeconds) return secondsSinceReferenceDate(value);
        return iso8601(value);
    };
    OrderedJson out = OrderedJson::object();
    out["id"] = profile.id.text();
    out["name"] = profile.name;
    out["colorName"] = profile.colorName;
    out["persistentApps"] = base64Encode(profile.persistentApps);
    out["persistentOthers"] = base64Encode(profile.persistentOthers);
    if (profile.focusFilter) out["focusFilter"] = *profile.focusFilter;
    out["createdAt"] = date(profile.createdAt);
    out["updatedAt"] = date(profile.updatedAt);
    if (profile.keyboardShortcut) out["keyboardShortcut"] = *profile.keyboardShortcut;
    if (profile.appsToLaunch) out["appsToLaunch"] = *profile.appsToLaunch;
    out["quitOtherApps"] = profile.quitOtherApps;
    if (profile.hiddenApps) out["hiddenApps"] = *profile.hiddenApps;
    if (profile.appGroups) {
        OrderedJson groups = OrderedJson::array();
        for (const auto& group : *profile.appGroups) groups.push_back(groupToJson(group));
        out["appGroups"] = std::move(groups);
    }
    return out;
}

Result<DockProfile> profileFromJson(const json& value, DateEncoding dates) {
    if (!value.is_object()) return Error{"profile is not an object"};
    ObjectReader reader(value);
    DockProfile profile;
    const Date now = currentDate();

    if (auto id = reader.uuid("id"))
        profile.id = *id;
    else if (!reader.failed())
        reader.missing("id");
    if (auto name = reader.requiredText("name")) profile.name = std::move(*name);
    if (auto color = reader.text("colorName")) profile.colorName = std::move(*color);
    if (auto apps = reader.bytes("persistentApps")) profile.persistentApps = std::move(*apps);
    if (auto others = reader.bytes("persistentOthers")) profile.persistentOthers = std::move(*others);
    profile.focusFilter = reader.text("focusFilter");
    profile.createdAt = reader.date("createdAt", dates).value_or(now);
    profile.updatedAt = reader.date("updatedAt", dates).value_or(now);
    profile.keyboardShortcut = reader.text("keyboardShortcut");
    profile.appsToLaunch = reader.texts("appsToLaunch");
    profile.quitOtherApps = reader.boolean("quitOtherApps").value_or(false);
    profile.hiddenApps = reader.texts("hiddenApps");
    if (const json* groups = reader.member("appGroups")) {
        if (!groups->is_array()) {
            reader.mistyped("appGroups", "an array of groups");
        } else {
            std::vector<AppGroup> read;
            read.reserve(groups->size());
            for (std::size_t i = 0; i < groups->size(); ++i) {
                auto group = groupFromJson((*groups)[i]);
                if (!group) {
                    return Error{"key \"appGroups\", group " + std::to_string(i + 1) + ": " +
                                 group.error().description};
                }
                read.push_back(std::move(*group));
            }
            profile.appGroups = std::move(read);
        }
    }
    if (reader.failed()) return reader.error();
    return profile;
}

std::string encodeProfiles(const std::vector<DockProfile>& profiles) {
    OrderedJson array = OrderedJson::array();
    for (const auto& profile : profiles)
        array.push_back(profileToJson(profile, DateEncoding::referenceSeconds));
    // Replacing invalid UTF-8 keeps a name pasted with broken bytes from making the whole store unwritable.
    return array.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

Result<std::vector<DockProfile>> decodeProfiles(std::string_view text) {
    const json parsed = json::parse(text.begin(), text.end(), nullptr, false);
    if (parsed.is_discarded()) return Error{"the store file is not valid JSON"};
    if (!parsed.is_array()) return Error{"the store file does not hold an array of profiles"};
    std::vector<DockProfile> profiles;
    profiles.reserve(parsed.size());
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        auto profile = profileFromJson(parsed[i], DateEncoding::referenceSeconds);
        if (!profile) return Error{"profile " + std::to_string(i + 1) + ": " + profile.error().description};
        profiles.push_back(std::move(*profile));
    }
    return profiles;
}

}  // namespace moorvane
