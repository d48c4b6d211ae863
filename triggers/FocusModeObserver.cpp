#include "triggers/FocusModeObserver.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>
#include <variant>

#include <nlohmann/json.hpp>

#include "base/BoundedRead.h"
#include "base/Log.h"
#include "base/Text.h"
#include "store/ProfileStore.h"

namespace moorvane {

namespace {

using nlohmann::json;

constexpr std::string_view doNotDisturbDefault = "com.apple.donotdisturb.mode.default";

using ModeRow = std::pair<std::string_view, std::string_view>;

// Looked up before the user's configurations.
constexpr std::array<ModeRow, 9> builtInModes = {{
    {"com.apple.focus.work", "Work"},
    {"com.apple.focus.personal-time", "Personal"},
    {"com.apple.focus.sleep", "Sleep"},
    {doNotDisturbDefault, "Do Not Disturb"},
    {"com.apple.focus.reading", "Reading"},
    {"com.apple.focus.fitness", "Fitness"},
    {"com.apple.focus.driving", "Driving"},
    {"com.apple.focus.gaming", "Gaming"},
    {"com.apple.focus.mindfulness", "Mindfulness"},
}};

// The identifiers recent systems write for the same three modes. Looked up only after the configurations
// file, whose name for them is the one the user gave and the one the editor offers.
constexpr std::array<ModeRow, 3> laterSystemModes = {{
    {"com.apple.sleep.sleep-mode", "Sleep"},
    {"com.apple.donotdisturb.mode.workout", "Fitness"},
    {"com.apple.donotdisturb.mode.driving", "Driving"},
}};

template <std::size_t N>
std::optional<std::string> nameIn(const std::array<ModeRow, N>& rows, std::string_view identifier) {
    for (const auto& [id, name] : rows)
        if (id == identifier) return std::string(name);
    return std::nullopt;
}

struct Empty {};
struct Failure {
    std::string message;
};
using ReadOutcome = std::variant<json, Empty, Failure>;

Failure failure(const std::filesystem::path& path, std::string_view what) {
    return {"FocusModeObserver: " + path.string() + " " + std::string(what)};
}

ReadOutcome readJsonFile(const std::filesystem::path& path) {
    // A named pipe planted at the path cannot stall the main thread: the read refuses it without blocking.
    Result<std::string> read = readBoundedFile(path, FocusModeObserver::maxFileBytes);
    if (!read) {
        switch (read.error().code) {
            case notARegularFileCode:
                return failure(path, "is not a regular file");
            case largerThanBoundCode:
                return failure(path, "is larger than " + sizeText(FocusModeObserver::maxFileBytes));
            default:
                return failure(path, std::string("cannot be read: ") + std::strerror(read.error().code));
        }
    }
    const std::string& text = *read;
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }))
        return Empty{};

    json parsed = json::parse(text, nullptr, false);
    if (parsed.is_discarded()) return failure(path, "is not valid JSON");
    if (!parsed.is_object()) return failure(path, "does not hold a JSON object");
    return parsed;
}

// Logs a failure once until the file reads cleanly again.
void report(const Failure* failed, std::string& lastFailure) {
    if (!failed) {
        lastFailure.clear();
    } else if (failed->message != lastFailure) {
        log(failed->message);
        lastFailure = failed->message;
    }
}

const json* accept(const ReadOutcome& outcome, std::string& lastFailure) {
    report(std::get_if<Failure>(&outcome), lastFailure);
    return std::get_if<json>(&outcome);
}

// The system wraps its store as {"data":[STORE],"header":{...}}; older or hand-made files hold the store's
// members at the top.
const json& storeOf(const json& file) {
    const auto data = file.find("data");
    if (data != file.end() && data->is_array() && !data->empty() && data->front().is_object())
        return data->front();
    return file;
}

const json* member(const json& object, std::string_view key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

const std::string* textMember(const json& object, std::string_view key) {
    const json* value = member(object, key);
    return value && value->is_string() ? value->get_ptr<const std::string*>() : nullptr;
}

const std::string* assertedMode(const json& record) {
    const json* details = member(record, "assertionDetails");
    if (!details) return nullptr;
    if (const auto* identifier = textMember(*details, "assertionDetailsModeIdentifier")) return identifier;
    if (const json* dictionary = member(*details, "assertionDetailsDictionary"))
        return textMember(*dictionary, "userRequestedActiveMode");
    return nullptr;
}

// The configurations object, or none when it is missing or any member of it is not an object.
const json* modeConfigurations(const json& file) {
    const json* configurations = member(storeOf(file), "modeConfigurations");
    if (!configurations || !configurations->is_object()) return nullptr;
    for (const auto& entry : *configurations)
        if (!entry.is_object()) return nullptr;
    return configurations;
}

const std::string* configuredName(const json& configuration) {
    const json* mode = member(configuration, "mode");
    const std::string* name = mode ? textMember(*mode, "name") : nullptr;
    return name && !name->empty() ? name : nullptr;
}

}  // namespace

std::optional<std::string> builtInFocusModeName(std::string_view identifier) {
    if (auto name = nameIn(builtInModes, identifier)) return name;
    return nameIn(laterSystemModes, identifier);
}

std::string fallbackFocusModeName(std::string_view identifier) {
    const auto dot = identifier.rfind('.');
    const std::string_view piece = dot == std::string_view::npos ? identifier : identifier.substr(dot + 1);
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(lowerCased(piece));
    icu::UnicodeString out;
    bool wordStart = true;
    for (int32_t i = 0; i < text.length();) {
        const UChar32 c = text.char32At(i);
        out.append(wordStart ? u_toupper(c) : c);
        wordStart = c == ' ';
        i += U16_LENGTH(c);
    }
    std::string result;
    out.toUTF8String(result);
    return result;
}

const std::vector<std::string>& baseFocusModeNames() {
    static const std::vector<std::string> names = {"Work", "Personal", "Sleep", "Do Not Disturb"};
    return names;
}

FocusModeObserver::FocusModeObserver(const std::filesystem::path& home, ProfileStore& store,
                                     DesktopFocus* desktop)
    : FocusModeObserver(
          home, [&store](std::string_view name) { return store.profileForFocusMode(name); },
          [&store](const DockProfile& profile, bool launchApps) { store.switchTo(profile, launchApps); },
          desktop) {}

FocusModeObserver::FocusModeObserver(const std::filesystem::path& home,
                                     ProfileForFocusMode profileForFocusMode, SwitchTo switchTo,
                                     DesktopFocus* desktop)
    : assertionsPath_(home / "Library/DoNotDisturb/DB/Assertions.json"),
      modeConfigPath_(home / "Library/DoNotDisturb/DB/ModeConfigurations.json"),
      profileForFocusMode_(std::move(profileForFocusMode)),
      switchTo_(std::move(switchTo)),
      desktop_(desktop) {
    // A person who turns a mode on expects the switch now, not at the next tick of the 5 s poll.
    if (desktop_) desktop_->observeChanges([this] { poll(); });
}

FocusModeObserver::~FocusModeObserver() {
    if (desktop_) desktop_->observeChanges({});
}

std::optional<std::string> FocusModeObserver::readCurrentFocusMode() {
    if (desktop_) {
        if (auto mode = desktop_->activeMode()) return mode;
    }
    const ReadOutcome assertions = readJsonFile(assertionsPath_);
    const json* file = std::get_if<json>(&assertions);
    // Ended sessions stay in the file under "storeInvalidationRecords"; only live assertions count.
    const json* records = file ? member(storeOf(*file), "storeAssertionRecords") : nullptr;
    const bool wellFormed =
        !records || (records->is_array() && std::all_of(records->begin(), records->end(),
                                                        [](const json& r) { return r.is_object(); }));
    if (!wellFormed) {
        const Failure shape = failure(assertionsPath_, "holds assertion records of an unexpected shape");
        report(&shape, assertionsFailure_);
        return std::nullopt;
    }
    report(std::get_if<Failure>(&assertions), assertionsFailure_);
    if (!records) return std::nullopt;

    const std::string* identifier = nullptr;
    for (const auto& record : *records) {
        const std::string* asserted = assertedMode(record);
        if (asserted && !asserted->empty() && *asserted != doNotDisturbDefault) {
            identifier = asserted;
            break;
        }
    }
    if (!identifier) return std::nullopt;
    if (auto name = nameIn(builtInModes, *identifier)) return name;

    const ReadOutcome configs = readJsonFile(modeConfigPath_);
    if (const json* configFile = accept(configs, configFailure_)) {
        if (const json* configurations = modeConfigurations(*configFile)) {
            if (const json* entry = member(*configurations, *identifier)) {
                if (const std::string* name = configuredName(*entry)) return *name;
            }
        }
    }
    if (auto name = nameIn(laterSystemModes, *identifier)) return name;
    return fallbackFocusModeName(*identifier);
}

void FocusModeObserver::poll() {
    auto mode = readCurrentFocusMode();
    if (mode == currentFocusMode.get()) return;
    currentFocusMode = mode;
    if (!mode) return;
    if (auto profile = profileForFocusMode_(*mode)) switchTo_(*profile, true);
}

std::vector<std::string> FocusModeObserver::availableFocusModeNames() {
    std::vector<std::string> names = baseFocusModeNames();
    const auto add = [&names](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    if (desktop_) {
        for (const std::string& name : desktop_->modeNames()) add(name);
    }
    const ReadOutcome configs = readJsonFile(modeConfigPath_);
    if (const json* configFile = accept(configs, configFailure_)) {
        if (const json* configurations = modeConfigurations(*configFile)) {
            for (const auto& entry : *configurations) {
                if (const std::string* name = configuredName(entry)) add(*name);
            }
        }
    }
    // Byte order of UTF-8 is code-point order.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace moorvane
