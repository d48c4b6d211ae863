#pragma once

#include <string>
#include <vector>

namespace moorvane::gnome {

using AppIds = std::vector<std::string>;

// What GNOME Shell's dash shows after the favourites change from `shown` to `written` (both without repeats).
// The dash (GNOME Shell 43 and Dash-to-Dock's copy of it) turns a change into insertions and removals in one
// walk over both lists that assumes at most one app moved; after several moves at once it can show the apps
// in another order than the key's ([Green, Red] to [Red, Blue, Green] shows Blue, Red, Green) until something
// else redraws it. This replays that walk.
AppIds dashAfter(const AppIds& shown, const AppIds& written);

// The longest list of apps that keep their order from `a` to `b`: removing the others from the dash, then
// adding the rest, are two changes the dash always shows right.
AppIds keptInOrder(const AppIds& a, const AppIds& b);

}  // namespace moorvane::gnome
