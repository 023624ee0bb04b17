// Window events and control clicks of the program's windows, and the menu
// choices, as the toolbox delivers them.
#pragma once

#include <cstdint>

#include "player/controls.h"

// doDialog, the handler of window events and control clicks, is the player's
// (player/controls.h); the About window's events reach it here.
void aboutWindowEvent(std::int16_t type, std::int16_t control);

// A menu choice (menu ID, 1-based item); menu 254 is the application menu.
void doMenu(std::int16_t menu, std::int16_t item);

// Builds every menu of the menu bar once at start (see ui/menus.h).
void buildMenus();
