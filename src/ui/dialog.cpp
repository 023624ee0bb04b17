#include "ui/dialog.h"

#include "core/appstate.h"
#include "platform/toolbox.h"
#include "ui/mainwindow.h"

void aboutWindowEvent(std::int16_t type, std::int16_t control) {
  if (type == kWindowCloseBox)
    closeAboutWin();
  else if (type == kControlClicked)
    doAboutButton(control);
}

void dispatchDialog(std::int16_t type, std::int16_t window, std::int16_t control) {
  if (window == kAboutWindow)
    aboutWindowEvent(type, control);
  else
    doDialog(type, window, control);
}
