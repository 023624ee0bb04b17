// The lumaroll executable: the desktop program on the Qt toolbox.
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "ingest/add_runs.h"
#include "platform/qt/qt_program.h"
#include "ui/mpris.h"

int main(int argc, char** argv) {
  return runDesktopProgram(argc, argv, [](const std::vector<std::string>& args) {
    if (!startLumaroll()) return false;
    startMprisService();
    // Folders given on the command line are added one run after another
    // once the window is up.
    startAddTunesOfFolders(commandLineFolders(args, stderr));
    return true;
  });
}
