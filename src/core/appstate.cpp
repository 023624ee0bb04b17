#include "core/appstate.h"

Str255 gCurrentVersionExtended$;
std::int16_t gAddingWindowIsOpen_S = 0;
std::int16_t gWin14_S = 0;
std::int16_t gStopCollectingPerUser_S = 0;
std::int16_t gWeArePlaying_S = 0;
std::int16_t gWeAeAddingTunes_S = 0;
std::int32_t gNowPlayingItemID_L = 0;
std::int32_t gStoppedHere_L = 0;
std::int32_t gStartTune_L = 1;
std::int16_t gCurrentPlayingPL_S = 0;
Str255 gCurrentPlayingIDName$;
std::int16_t gLoopTune_S = 0;
std::int16_t gLoopPlaylist_S = 0;
std::int16_t gNextTune_S = 0;
std::int16_t gBackTune_S = 0;
std::int16_t gStartPlaying_S = 0;
std::int16_t gStopPlaying_S = 0;
std::int16_t gSoundMute_S = 0;
std::int16_t gDoubleClick_S = 0;
std::int16_t gSingleClick_S = 0;
std::int32_t gCheckCurrent_L = 0;
std::int32_t gCheckedItem_L = 0;
std::int16_t gRefreshDisplay_S = 0;
std::int16_t gAddSystemFontsNow_S = 0;
Str255 gSearchString$;
