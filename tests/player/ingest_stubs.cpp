// Stand-ins for the add runs when they are not built: the tests see the calls
// in the recording toolbox's log.
#include "platform/headless/headless_toolbox.h"
#include "player/ingest_calls.h"

void startAddTunesFromMusicFolder() { headlessToolbox().log.push_back("add music folder"); }
void makeSavingDBTunesWindow() { headlessToolbox().log.push_back("saving window"); }
