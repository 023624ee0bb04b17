#include "ui/controls.h"

#include "core/appstate.h"
#include "core/errors.h"
#include "core/macroman.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "export/send.h"
#include "ingest/save_alerts.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "player/playback.h"
#include "playlists/presentation.h"

namespace {

constexpr std::int16_t kPlaylistsMenu = 3;
constexpr std::int16_t kWholeMenu = 0;

void nextOrBack(std::int16_t& request) {
  if (gStartTotalTunes_L <= 0) {
    threeBeeps();
    return;
  }
  // Only a sounding tune can be left for the next or the previous one.
  if (gWeArePlaying_S == 1 && gTotalPlaylistTunes_L > 0) request = 1;
}

void sendButton() {
  const std::string name = getControlText(kSheetWindow, kPlaylistNameField);
  if (name.empty()) {
    SysBeep();
    CationAlert("No Playlist Name", "Please enter a name for this playlist.", "Okay");
    return;
  }
  const std::int32_t count =
      sendCountForLimit(getControlText(kSheetWindow, kPlaylistLimitField), gTotalPlaylistTunes_L);
  setControlEnabled(kSheetWindow, kSendButton, false);
  setControlEnabled(kSheetWindow, kCancelButton, false);
  sendPlaylistToiTunes(makeStr255(displayToStored(name)), count);
  closeNameSheet();
}

void firstTimeChoice(bool addMusicFolder) {
  gAddSystemFontsNow_S = addMusicFolder ? 1 : 0;
  setControlValue(kFirstTimeWindow, kFirstTimeYes, addMusicFolder ? 1 : 0);
  setControlValue(kFirstTimeWindow, kFirstTimeNo, addMusicFolder ? 0 : 1);
}

void mainWindowClick(std::int16_t control) {
  if (control >= 1 && control <= 10) {
    doColorButtons(control);
    return;
  }
  switch (control) {
    case kPlayButton: playerPlayButton(); break;
    case kBackButton: nextOrBack(gBackTune_S); break;
    case kNextButton: nextOrBack(gNextTune_S); break;
    case kSmartMoreButton: doPlaylistSwitch(PlaylistSwitch::smartMore); break;
    case kSmartPlaysButton: doPlaylistSwitch(PlaylistSwitch::smartPlays); break;
    default: break;  // the search field acts on Return, in the event handler
  }
}

void controlClicked(std::int16_t window, std::int16_t control) {
  switch (window) {
    case kMainWindow: mainWindowClick(control); break;
    case kSheetWindow:
      // One sheet at a time: the name sheet or the add-progress sheet.
      if (control == kSendButton) sendButton();
      if (control == kCancelButton) closeNameSheet();
      if (control == kStopAddingButton) gStopCollectingPerUser_S = 1;
      break;
    case kFirstTimeWindow:
      if (control == kFirstTimeDone) firstTimeWindowDone();
      if (control == kFirstTimeYes) firstTimeChoice(true);
      if (control == kFirstTimeNo) firstTimeChoice(false);
      break;
    default: break;
  }
}

}  // namespace

void closeNameSheet() {
  toolboxCloseWindow(kSheetWindow);
  for (std::int16_t menu : {kFileMenu, kPlaylistsMenu, kPlayerMenu}) setMenuItemEnabled(menu, kWholeMenu, true);
}

void doDialog(std::int16_t eventType, std::int16_t window, std::int16_t control) {
  switch (eventType) {
    case kControlClicked: controlClicked(window, control); break;
    case kWindowCloseBox:
      if (window != kMainWindow) break;
      if (!saveBeforeQuitting(QuitSave::ask, true)) break;
      cancelAllTasks();  // the playing movie is released before the process ends
      exitProgram(0);
    case kContentRefresh:
      gRefreshDisplay_S = 1;
      toolboxFlush();
      break;
    default: break;
  }
}
