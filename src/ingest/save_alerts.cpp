#include "ingest/save_alerts.h"

#include <cstdio>
#include <string>

#include "core/appstate.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "ingest/add_one.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/critical_error.h"
#include "platform/toolbox.h"

namespace {

constexpr const char* kNotSavedTitle = "The Library Could Not Be Saved";

std::string libraryNotSavedText(const LibrarySaveFailure& f) {
  return "Lumaroll could not save your library in " + f.path + ": " + f.reason +
         ". The tunes added and the changes made since it was last saved are not in it.";
}

}  // namespace

void showDeferredAlerts() {
  if (consumeLibraryFullNotice())
    myStopAlert("Your Library Is Full",
                "Your library holds " + std::to_string(gMaxTunes_L) +
                    " tunes, as many as Lumaroll can hold. The files found after that were not added.",
                "Okay");
  LibrarySaveFailure& f = librarySaveFailure();
  if (!f.pending) return;
  f.pending = false;
  myStopAlert(kNotSavedTitle, libraryNotSavedText(f), "Okay");
}

void tellLibraryLoadProblem() {
  if (!gDatabaseLoadIncomplete) return;
  const std::string path = libraryFilePath();
  if (gDatabaseTunesLeftOut > 0) {
    const bool allow =
        CationAlert("Your Library Is Larger Than Lumaroll Can Hold",
                    path + " holds " + std::to_string(gStartTotalTunes_L + gDatabaseTunesLeftOut) +
                        " tunes; Lumaroll has loaded the first " + std::to_string(gStartTotalTunes_L) +
                        ". If Lumaroll saves the library, the other " + std::to_string(gDatabaseTunesLeftOut) +
                        " are removed from it. Choose Cancel to keep the file as it is (changes will not be saved).",
                    "Allow Saving");
    if (allow) gDatabaseLoadIncomplete = false;
    return;
  }
  myStopAlert("Your Library Could Not Be Read",
              "Lumaroll could not read " + path + ": " + libraryLoadProblem() +
                  ". It starts with the tunes it could read, and changes will not be saved while it runs.",
              "Okay");
}

bool saveBeforeQuitting(QuitSave how, bool withLibrary) {
  std::string problems;
  if (withLibrary && saveDatabaseFiles() != 0) {
    LibrarySaveFailure& f = librarySaveFailure();
    f.pending = false;
    problems = libraryNotSavedText(f);
  }
  ToolboxRect frame;
  if (toolboxGetWindowContentRect(kMainWindow, frame)) {
    gWin1PosHor_S = static_cast<std::int16_t>(frame.left);
    gWin1PosVert_S = static_cast<std::int16_t>(frame.top);
    gWin1SizeHor_S = static_cast<std::int16_t>(frame.width);
    gWin1SizeVert_S = static_cast<std::int16_t>(frame.height);
  }
  const OSErr prefsErr = savePrefs();
  resetError(prefsErr);
  if (prefsErr != 0) {
    if (!problems.empty()) problems += "\n\n";
    problems += "Lumaroll could not save its settings in " + prefsFilePath() + ": " + prefsSaveProblem() + ".";
  }
  if (problems.empty()) return true;
  switch (how) {
    case QuitSave::silent: std::fprintf(stderr, "Lumaroll: %s\n", problems.c_str()); return true;
    case QuitSave::tell: myStopAlert(kNotSavedTitle, problems, "Quit"); return true;
    case QuitSave::ask: break;
  }
  if (CationAlert(kNotSavedTitle, problems + "\n\nQuit anyway, or cancel and try again once the problem is solved?",
                  "Quit Anyway"))
    return true;
  if (windowExists(kSavingWindow)) toolboxCloseWindow(kSavingWindow);
  gAddingWindowIsOpen_S = 0;
  return false;
}
