#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "model/DockProfile.h"

namespace moorvane {

// The two containers of a profile write its dates differently: the store as seconds since 2001-01-01 UTC, the
// exported document as ISO 8601 text. Each reads what it writes.
enum class DateEncoding { referenceSeconds, iso8601 };

// Written keys follow the field order of the record.
using OrderedJson = nlohmann::ordered_json;

OrderedJson groupToJson(const AppGroup& group);
Result<AppGroup> groupFromJson(const nlohmann::json& value);

OrderedJson profileToJson(const DockProfile& profile, DateEncoding dates);
// Fails as a whole when "id", "name", "persistentApps" or "persistentOthers" is missing or null, or any key
// holds a value of the wrong type; the error names the key.
Result<DockProfile> profileFromJson(const nlohmann::json& value, DateEncoding dates);

// The store file: a compact JSON array of profiles.
std::string encodeProfiles(const std::vector<DockProfile>& profiles);
Result<std::vector<DockProfile>> decodeProfiles(std::string_view text);

}  // namespace moorvane
