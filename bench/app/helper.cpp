// lumaroll-bench-helper: writes sample libraries and takes screenshots of
// the main window on the offscreen platform.
//
//   lumaroll-bench-helper library N       the database file of N tunes
//   lumaroll-bench-helper screenshot N OUT.png
//
// Files go where the program looks for them ($XDG_DATA_HOME, $XDG_CONFIG_HOME).
#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app.h"
#include "core/appstate.h"
#include "core/prefs.h"
#include "library/database.h"
#include "platform/qt/qt_toolbox.h"
#include "sample_library.h"

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "library") {
    makeSampleLibrary(std::atoi(argv[2]));
    return saveDatabaseFiles() == 0 ? 0 : 1;
  }
  if (argc >= 4 && std::string(argv[1]) == "screenshot") {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    makeSampleLibrary(std::atoi(argv[2]));
    if (saveDatabaseFiles() != 0) return 1;
    if (!startLumaroll()) return 1;
    toolboxSetWindowContentRect(kMainWindow, ToolboxRect{0, 0, 1280, 720});
    QCoreApplication::processEvents();
    const bool ok = qtToolboxWindow(kMainWindow)->grab().save(QString::fromLocal8Bit(argv[3]));
    std::fflush(nullptr);
    std::_Exit(ok ? 0 : 1);
  }
  std::fputs("usage: lumaroll-bench-helper library N | screenshot N OUT.png\n", stderr);
  return 2;
}
