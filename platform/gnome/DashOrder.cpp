#include "platform/gnome/DashOrder.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace moorvane::gnome {

namespace {

bool holds(const AppIds& ids, const std::string& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

AppIds dashAfter(const AppIds& shown, const AppIds& written) {
    // The dash's items: an app and whether it is one of the items shown before (those are the ones removed).
    struct Item {
        std::string id;
        std::size_t old;  // its index in `shown`, or npos for an item added now
    };
    std::vector<std::pair<std::size_t, std::string>> added;  // insertion index, app
    std::vector<std::size_t> removed;                        // indices into `shown`
    std::size_t newIndex = 0;
    std::size_t oldIndex = 0;
    while (newIndex < written.size() || oldIndex < shown.size()) {
        const std::string* oldApp = oldIndex < shown.size() ? &shown[oldIndex] : nullptr;
        const std::string* newApp = newIndex < written.size() ? &written[newIndex] : nullptr;
        if (oldApp && newApp && *oldApp == *newApp) {
            ++oldIndex;
            ++newIndex;
        } else if (oldApp && !holds(written, *oldApp)) {
            removed.push_back(oldIndex++);
        } else if (newApp && !holds(shown, *newApp)) {
            added.emplace_back(newIndex++, *newApp);
        } else {
            // A move: the shell adds the app here when the next app is the old one, or when it already
            // removed the app further up; otherwise it removes the old app and looks again.
            const bool insertHere =
                newIndex + 1 < written.size() && oldApp && written[newIndex + 1] == *oldApp;
            const bool alreadyRemoved =
                newApp && std::any_of(removed.begin(), removed.end(),
                                      [&](std::size_t index) { return shown[index] == *newApp; });
            if (insertHere || alreadyRemoved) {
                added.emplace_back(newIndex + removed.size(), *newApp);
                ++newIndex;
            } else {
                removed.push_back(oldIndex++);
            }
        }
    }
    std::vector<Item> items;
    for (std::size_t i = 0; i < shown.size(); ++i) items.push_back({shown[i], i});
    for (auto& [index, id] : added)
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(index, items.size())),
                     Item{std::move(id), std::string::npos});
    AppIds after;
    for (const Item& item : items) {
        if (item.old == std::string::npos ||
            std::find(removed.begin(), removed.end(), item.old) == removed.end())
            after.push_back(item.id);
    }
    return after;
}

AppIds keptInOrder(const AppIds& a, const AppIds& b) {
    // lengths[i][j]: the longest common subsequence of a[i..] and b[j..].
    std::vector<std::vector<std::size_t>> lengths(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;) {
            lengths[i][j] =
                a[i] == b[j] ? lengths[i + 1][j + 1] + 1 : std::max(lengths[i + 1][j], lengths[i][j + 1]);
        }
    }
    AppIds kept;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] == b[j]) {
            kept.push_back(a[i]);
            ++i;
            ++j;
        } else if (lengths[i + 1][j] >= lengths[i][j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return kept;
}

}  // namespace moorvane::gnome
