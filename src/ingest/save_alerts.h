// Telling the person, in the window, when the library or the preferences
// were not read or not saved, and when an add run found the library full.
// Standard error alone tells nobody at a desktop.
#pragma once

#include <cstdint>

// Alerts that arose inside an add run's step or a save are shown from the
// event handler, outside any task: a modal alert inside a task step would
// let the loop resume tasks while one is still running. Shows each once.
void showDeferredAlerts();

// At start-up, after the library was loaded: a file that could not be read
// completely is named with the reason, and the person learns that changes
// will not be saved. A file longer than the table may be saved anyway if the
// person agrees (the tunes beyond the table are then dropped from it).
void tellLibraryLoadProblem();

enum class QuitSave : std::uint8_t {
  ask,     // Quit, the close box: "Quit Anyway" or Cancel to keep running
  tell,    // the program ends whatever happens: a stop alert, then the end
  silent,  // a signal or the session's end: standard error only
};
// The saves before the program ends: the library (when `withLibrary`) and
// the preferences. Returns true when the program may end: both saved, or
// the person chose to quit anyway. On false the saving window is closed and
// the program keeps running.
bool saveBeforeQuitting(QuitSave how, bool withLibrary);
