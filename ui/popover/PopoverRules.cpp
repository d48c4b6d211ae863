#include "ui/popover/PopoverRules.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <set>

#include "dock/TileCodec.h"
#include "model/ShortcutText.h"

namespace moorvane {

namespace popover {

const DockProfile* activeProfile(const std::vector<DockProfile>& profiles,
                                 const std::optional<Uuid>& activeId) {
    if (!activeId) return nullptr;
    const auto found = std::find_if(profiles.begin(), profiles.end(),
                                    [&](const DockProfile& p) { return p.id == *activeId; });
    return found == profiles.end() ? nullptr : &*found;
}

RowSummary summarize(const DockProfile& profile) {
    RowSummary summary;
    std::vector<DockAppEntry> apps = appEntries(profile);
    std::erase_if(apps, [](const DockAppEntry& e) { return e.isSpacer; });
    summary.appCount = apps.size();
    summary.countText = std::to_string(apps.size()) + (apps.size() == 1 ? " app" : " apps");
    if (profile.hiddenApps && !profile.hiddenApps->empty()) {
        const std::set<std::string, std::less<>> hidden(profile.hiddenApps->begin(),
                                                        profile.hiddenApps->end());
        summary.hasHidden = std::any_of(apps.begin(), apps.end(), [&](const DockAppEntry& e) {
            return hidden.count(e.bundleIdentifier);
        });
    }
    summary.overflow = apps.size() > stripIconCount ? apps.size() - stripIconCount : 0;
    apps.resize(std::min(apps.size(), stripIconCount));
    summary.stripEntries = std::move(apps);
    summary.focusName = profile.focusFilter;
    if (const auto shortcut = parseShortcut(profile.keyboardShortcut)) {
        summary.shortcutBadge = displayShortcut(shortcut->modifiers, shortcut->keyCode);
    }
    return summary;
}

std::string detailsText(const RowSummary& summary) {
    std::string out = summary.countText;
    if (summary.focusName) out += ", Focus " + *summary.focusName;
    if (summary.hasHidden) out += ", some apps hidden";
    if (summary.shortcutBadge) out += ", shortcut " + *summary.shortcutBadge;
    return out;
}

std::string suggestedProfileName(Date now, const char* localeName) {
    const icu::Locale locale = localeName ? icu::Locale(localeName) : icu::Locale::getDefault();
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kShort, icu::DateFormat::kShort, locale));
    if (!format) return "Dock";
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    icu::UnicodeString formatted;
    format->format(static_cast<UDate>(millis), formatted);
    std::string out;
    formatted.toUTF8String(out);
    return "Dock " + out;
}

}  // namespace popover

}  // namespace moorvane
