// Application state of the event loop, the player requests and the windows:
// the flags other parts raise for the event handler to act on, and the state
// no other subsystem owns. All of it lives on the GUI thread.
#pragma once

#include <cstdint>

#include "core/pstring.h"

extern Str255 gCurrentVersionExtended$;     // "1.4.1", shown in the About window
extern std::int16_t gAddingWindowIsOpen_S;  // a progress, saving or notice window is on screen
extern std::int16_t gWin14_S;               // 1 while the About window exists
extern std::int16_t gStopCollectingPerUser_S;
extern std::int16_t gWeArePlaying_S;      // a tune sounds
extern std::int16_t gWeAeAddingTunes_S;   // an add run is active
extern std::int32_t gNowPlayingItemID_L;  // playing entry of gNowPlaying_A (0: none)
extern std::int32_t gStoppedHere_L;
extern std::int32_t gStartTune_L;
extern std::int16_t gCurrentPlayingPL_S;  // playlist kind of the playing table
extern Str255 gCurrentPlayingIDName$;     // identity of the playing playlist

// Player requests and modes.
extern std::int16_t gLoopTune_S;
extern std::int16_t gLoopPlaylist_S;
extern std::int16_t gNextTune_S;
extern std::int16_t gBackTune_S;
extern std::int16_t gStartPlaying_S;
extern std::int16_t gStopPlaying_S;
extern std::int16_t gSoundMute_S;

// List-view requests.
extern std::int16_t gDoubleClick_S;
extern std::int16_t gSingleClick_S;
extern std::int32_t gCheckCurrent_L;  // a check box was clicked ...
extern std::int32_t gCheckedItem_L;   // ... in this playlist entry

extern std::int16_t gRefreshDisplay_S;     // redraw the now-playing display at the next event
extern std::int16_t gAddSystemFontsNow_S;  // start the automatic add when the first-time window closes
extern Str255 gSearchString$;              // text of the last search

// Window and control numbers shared by several parts.
constexpr std::int16_t kMainWindow = 1;
constexpr std::int16_t kAboutWindow = 14;
constexpr std::int16_t kSheetWindow = 4000;
constexpr std::int16_t kFirstTimeWindow = 4444;
constexpr std::int16_t kNoticeWindow = 7999;
constexpr std::int16_t kActivityText = 1000;
constexpr std::int16_t kSummaryText = 1001;
constexpr std::int16_t kSearchField = 7000;
constexpr std::int16_t kListControl = 7001;     // the list view in the main window
constexpr std::int16_t kDisplayControl = 7002;  // the now-playing panel in the main window
