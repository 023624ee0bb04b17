#include "app/app.h"

#include <cstdio>
#include <string>

#include "core/appstate.h"
#include "core/errors.h"
#include "core/macroman.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "engine/genres.h"
#include "ingest/save_alerts.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/critical_error.h"
#include "platform/movie.h"
#include "player/display.h"
#include "player/playback.h"
#include "player/position.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"
#include "ui/dialog.h"
#include "ui/mainwindow.h"
#include "ui/menus.h"

namespace {}  // namespace

void initGlobals() {
  gMaxTunes_L = kMaxTunes;
  gCurrentVersionExtended$.assign("1.4.1");
  gAddingWindowIsOpen_S = 0;
  gWin14_S = 0;
  gCurrentPlaylist_S = 3;
  gStopCollectingPerUser_S = 0;
  gWeArePlaying_S = 0;
  gWeAeAddingTunes_S = 0;
  gTotalTunes_L = 0;
  gStartTotalTunes_L = 0;
  gTotalPlaylistTunes_L = 0;
  gTotalPlaying_L = 0;
  gCurrentSelectedTune_L = 0;
  gNowPlayingItemID_L = 0;
  gStoppedHere_L = 0;
  gStartTune_L = 1;
  gLoopTune_S = gLoopPlaylist_S = gNextTune_S = gBackTune_S = gStartPlaying_S = gSoundMute_S = 0;
  gStopPlaying_S = 0;
  gDoubleClick_S = gSingleClick_S = 0;
  gCheckCurrent_L = gCheckedItem_L = 0;
  gRefreshDisplay_S = 0;
  gAddSystemFontsNow_S = 0;
  gCurrentPlayingPL_S = 0;
  gCurrentPlayingIDName$.clear();
  gCurrentPlayllistIDName$.clear();
  gSearchString$.clear();
  const ToolboxRect screen = toolboxMainScreenRect();
  setDefaultPrefs(screen.width, screen.height);  // window frame and volume
}

bool startLumaroll() {
  seedRndFromEntropy();
  if (EnterMovies() != noErr) {
    SysBeep();
    CationAlert("QuickTime 7 Error:", "Sorry, but you must have QuickTime 7 or later to use this software.", "Quit");
    exitProgram(0);
  }
  initMP3Categories();
  initGlobals();
  if (prefsFilePath().empty()) {  // no preferences folder at all
    SysBeep();
    exitProgram(0);
  }
  resetError(loadPrefs());
  // One program writes the library at a time: a second copy, or the tool
  // adding tunes, would have its work overwritten by the other's next save.
  if (lockLibraryFile() == LibraryLock::held) {
    std::fprintf(stderr, "Lumaroll: Lumaroll is running; quit it first (%s is in use).\n", libraryFilePath().c_str());
    myStopAlert("Lumaroll Is Running",
                "Lumaroll is running; quit it first. The library " + libraryFilePath() +
                    " is in use by another copy of Lumaroll or by lumaroll-tool.",
                "Quit");
    return false;
  }
  openDatabaseFiles();
  gStartTotalTunes_L = gTotalTunes_L;
  buildCurrentPlaylist();
  buildMenus();
  buildMainWindow();

  ToolboxHandlers h;
  h.command = MyCommandHandler;
  toolboxInstallHandlers(h);

  tellLibraryLoadProblem();
  // A library that could not be read is not empty: no offer to fill it.
  if (gStartTotalTunes_L == 0 && !gDatabaseLoadIncomplete) {
    buildFirstTimeWindow();
    gAddSystemFontsNow_S = 1;
  }

  h.menu = doMenu;
  h.event = doEvent;
  h.dialog = dispatchDialog;
  h.boundsChanged = MyWindowBoundsChangedHandler;
  h.controlAction = MyControlAction;
  h.pass = applicationPass;
  h.needsPasses = applicationNeedsPasses;
  toolboxInstallHandlers(h);
  return true;
}

std::int32_t findFirstSearchMatch(std::string_view storedText) {
  const std::string key = upperCaseMacRoman(storedText);
  auto contains = [&](const auto& field) { return upperCaseMacRoman(field.view()).find(key) != std::string::npos; };
  for (std::int32_t t = 1; t <= gStartTotalTunes_L; ++t) {
    const Tune& r = gTunes_A[t];
    if (contains(r.title) || contains(r.artist) || contains(r.album) || contains(r.genre)) return t;
  }
  return 0;
}

namespace {

void searchFromField() {
  gSearchString$.assign(displayToStored(getControlText(kMainWindow, kSearchField)));
  if (gSearchString$.empty()) {
    SysBeep();
  } else if (findFirstSearchMatch(gSearchString$.view()) != 0) {
    gCurrentPlaylist_S = 8;
    buildCurrentPlaylist();
    presentPlaylist(false, false);
  } else {
    SysBeep();
    makeBigAlertWin("No match found.", 1);
    toolboxDelay(2000);
    closeBigAlertWin();
  }
  toolboxSetKeyboardFocus(kMainWindow, kSearchField);
  setPlaylistSummary();
  toolboxFlush();
}

// A check box was clicked in playlist entry k: toggle its mark and carry the
// new value to the first playing entry and the first library tune with the
// same title and album.
void synchroniseCheckMark() {
  gCheckCurrent_L = 0;
  const std::int32_t k = gCheckedItem_L;
  if (k < 1 || k > gTotalPlaylistTunes_L) return;
  Tune& entry = gPlaylistTunes_A[k];
  const std::uint16_t value = entry.checked == 1 ? 0 : 1;
  entry.checked = value;
  auto sameTune = [&](const Tune& t) { return t.title == entry.title && t.album == entry.album; };
  for (std::int32_t p = 1; p <= gTotalPlaying_L; ++p)
    if (sameTune(gNowPlaying_A[p])) {
      gNowPlaying_A[p].checked = value;
      break;
    }
  for (std::int32_t t = 1; t <= gStartTotalTunes_L; ++t)
    if (sameTune(gTunes_A[t])) {
      gTunes_A[t].checked = value;
      break;
    }
}

bool gInEventHandler = false;

}  // namespace

void doEvent(ToolboxEvent& event) {
  // The big notice's wait lets the loop paint; it must not handle events
  // again inside this one.
  if (gInEventHandler) return;
  gInEventHandler = true;
  showDeferredAlerts();
  const std::int16_t active = toolboxActiveWindow();
  if (active == kMainWindow && (event.what == kOSEvent || event.what == 19 || event.what == kHighLevelEvent))
    drawDisplay();
  if (gRefreshDisplay_S == 1) {
    gRefreshDisplay_S = 0;
    drawDisplay();
  }
  if (active == kSheetWindow && event.what == kNullEvent) {
    drawDisplay();
    toolboxFlush();
    gInEventHandler = false;
    return;
  }
  if (event.window == kMainWindow && event.what == kKeyDownEvent &&
      (event.keyCode == kReturnKeyCode || event.keyCode == kEnterKeyCode) &&
      toolboxKeyboardFocus(kMainWindow) == kSearchField)
    searchFromField();
  // Space pauses and resumes (the toolbox reports it only away from text fields).
  if (event.window == kMainWindow && event.what == kKeyDownEvent && event.keyCode == kSpaceKeyCode &&
      playerPauseCommand())
    event.handled = true;
  if (gStartPlaying_S == 1) {
    gStartPlaying_S = 0;
    startPlayingFromButtons();
  }
  if (gDoubleClick_S == 1) {
    gDoubleClick_S = 0;
    swapPlayBtn(2);
    startPlayingFromButtons();
  }
  if (gCheckCurrent_L == 1) synchroniseCheckMark();
  gInEventHandler = false;
}

void applicationPass() {
  if (gInEventHandler) return;
  ToolboxEvent null;
  doEvent(null);
  runTasks(TickCount());
}

bool applicationNeedsPasses() {
  return gRefreshDisplay_S == 1 || gStartPlaying_S == 1 || gDoubleClick_S == 1 || gCheckCurrent_L == 1 ||
         gWeArePlaying_S == 1 || activeTaskCount() > 0;
}
