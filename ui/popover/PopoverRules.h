#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/Date.h"
#include "model/DockProfile.h"

// What the popover derives from the stored profiles, free of Qt.
namespace moorvane {

namespace popover {

// The profile the store names as active; none when the identifier is absent or matches no profile.
const DockProfile* activeProfile(const std::vector<DockProfile>& profiles,
                                 const std::optional<Uuid>& activeId);

inline constexpr std::size_t stripIconCount = 5;

// What a row shows of a profile; spacers never count as apps.
struct RowSummary {
    std::size_t appCount = 0;
    std::string countText;                   // "0 apps", "1 app", "7 apps"
    std::vector<DockAppEntry> stripEntries;  // the first five apps
    std::size_t overflow = 0;                // apps beyond the first five
    std::optional<std::string> focusName;
    bool hasHidden = false;
    std::optional<std::string> shortcutBadge;  // only for a shortcut that parses
};
RowSummary summarize(const DockProfile& profile);

// What the row shows besides the name, as one sentence for its accessible description: the details line and
// the shortcut badge.
std::string detailsText(const RowSummary& summary);

// "Dock " and the moment in the locale's short date and short time styles; the default locale is the user's.
std::string suggestedProfileName(Date now, const char* localeName = nullptr);

}  // namespace popover

}  // namespace moorvane
