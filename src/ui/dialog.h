// Window events and control clicks of the program's windows, and the menu
// choices, as the toolbox delivers them.
#pragma once

#include <cstdint>

#include "ui/controls.h"

// The About window's close box and button clicks.
void aboutWindowEvent(std::int16_t type, std::int16_t control);
// The dialog handler installed at start-up: the About window's events go to
// aboutWindowEvent, every other window's to doDialog (ui/controls.h).
void dispatchDialog(std::int16_t type, std::int16_t window, std::int16_t control);

// A menu choice (menu ID, 1-based item); menu 254 is the application menu.
void doMenu(std::int16_t menu, std::int16_t item);

// Builds every menu of the menu bar once at start (see ui/menus.h).
void buildMenus();
