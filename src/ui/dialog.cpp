#include "ui/dialog.h"

#include "core/appstate.h"
#include "core/errors.h"
#include "core/prefs.h"
#include "library/database.h"
#include "player/display.h"
#include "platform/toolbox.h"
#include "ui/mainwindow.h"

void doDialog(std::int16_t type, std::int16_t window, std::int16_t control) {
  if (window == kMainWindow) {
    if (type == kWindowCloseBox) {
      // Closing the main window ends the program without the question Quit
      // asks during an add run.
      saveDatabaseFiles();
      savePrefs();
      exitProgram(0);
    }
    if (type == kContentRefresh) drawDisplay();
    return;
  }
  if (window == kAboutWindow) {
    if (type == kWindowCloseBox)
      closeAboutWin();
    else if (type == kControlClicked)
      doAboutButton(control);
  }
}
