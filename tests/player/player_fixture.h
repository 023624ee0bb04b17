// The main window's list and controls on the recording toolbox, a library of
// scripted tunes, and the event loop's duties stepped by the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "player/playback.h"
#include "playlists/builder.h"
#include "playlists/library_fixture.h"
#include "playlists/main_window_fixture.h"
#include "playlists/presentation.h"

inline void resetPlayerState() {
  cancelAllTasks();
  headlessToolbox().reset();
  gNowPlayingMovie = nullptr;
  gTotalTunes_L = gStartTotalTunes_L = gTotalPlaylistTunes_L = gTotalPlaying_L = 0;
  gCurrentPlaylist_S = kPlaylistAllTunes;
  gCurrentMatchTune_L = gCurrentSelectedTune_L = 0;
  gStartPlaying_S = gStopPlaying_S = gNextTune_S = gBackTune_S = 0;
  gLoopTune_S = gLoopPlaylist_S = gSoundMute_S = gWeArePlaying_S = 0;
  gNowPlayingItemID_L = 0;
  gCurrentPlayingIDName$.assign("");
  gPlayerVolume_S = kDefaultPlayerVolume;
  gRefreshDisplay_S = 0;
  gSearchString$.assign("");
  seedRnd(20261206);
  buildMainWindowForTests();
}

// The event handler's start duty: a raised start request becomes a run.
inline void serviceStartRequest() {
  if (gStartPlaying_S == 1) {
    gStartPlaying_S = 0;
    startPlayingFromButtons();
  }
}

// One pass of the event loop, one tick after the last.
inline void pass() {
  auto& tb = headlessToolbox();
  ++tb.ticks;
  serviceStartRequest();
  runTasks(tb.ticks);
}

inline void passes(int n) {
  for (int i = 0; i < n; ++i) pass();
}

// Shows the library as All Tunes (library order) with entry 1 selected.
inline void showAllTunes() {
  gCurrentPlaylist_S = kPlaylistAllTunes;
  buildCurrentPlaylist();
  presentPlaylist(false);
}

inline std::string playItemText() {
  const auto& items = headlessToolbox().menuItems;
  const auto it = items.find({kPlayerMenu, 1});
  return it == items.end() ? std::string() : it->second;
}

inline std::vector<std::int32_t>& shownRows() { return headlessToolbox().list(kMainWindow, kListControl)->rows; }
