// A menu as data: the app describes its menus this way and the views build
// their context menus from it, so a view never needs the app's command table.
#pragma once

#include <vector>

struct MenuEntry {
    enum Kind { Command, Submenu, Separator } Kind;
    int Id;                          // Command: the command id; 0 otherwise
    const char* Label;               // Submenu: its title; Command: the item's text
    std::vector<MenuEntry> Children;  // Submenu only
};
