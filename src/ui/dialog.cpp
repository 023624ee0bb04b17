#include "ui/dialog.h"

#include "core/appstate.h"
#include "platform/toolbox.h"
#include "ui/mainwindow.h"

constexpr std::int16_t kApplicationMenu = 254;

void aboutWindowEvent(std::int16_t type, std::int16_t control) {
  if (type == kWindowCloseBox)
    closeAboutWin();
  else if (type == kControlClicked)
    doAboutButton(control);
}

void doMenu(std::int16_t menu, std::int16_t item) {
  if (menu == kApplicationMenu && item == 1) buildAboutWin();
}

void buildMenus() { toolboxSetMenuItem(kApplicationMenu, 1, "About Lumaroll...", 0); }
