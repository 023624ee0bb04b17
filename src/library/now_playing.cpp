// The sounding tune, as the parts below the player see it. Kept apart from
// the tables so that programs which never play link no movie services.
#include "library/tune.h"

bool movieLoaded() { return gNowPlayingMovie != nullptr; }

void stopSoundingMovie() {
  if (gNowPlayingMovie && !IsMovieDone(gNowPlayingMovie)) StopMovie(gNowPlayingMovie);
}
