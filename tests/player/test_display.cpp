#include <gtest/gtest.h>

#include "core/appstate.h"
#include "library/tune.h"
#include "player/display.h"
#include "playlists/builder.h"

// Idle, the display names the shown playlist; playing, the playing playlist
// and tune, whatever is shown meanwhile.
TEST(Display, NamesTheShownOrThePlayingPlaylist) {
  gWeArePlaying_S = 0;
  gCurrentPlaylist_S = 14;
  EXPECT_EQ(nowPlayingText(), "-\rBright Green Tunes\r-");
  gCurrentPlaylist_S = 8;
  gSearchString$.assign("caf\x8E");  // stored Mac Roman
  EXPECT_EQ(nowPlayingText(), "-\rSearch Results: caf\u00E9\r-");

  Tune& t = gNowPlaying_A[2];
  t.title.assign("Nocturne");
  t.artist.assign("Chopin");
  t.album.assign("\xE5\xA4\x9C");  // UTF-8 beside Mac Roman fields
  gWeArePlaying_S = 1;
  gNowPlayingItemID_L = 2;
  gCurrentPlayingPL_S = 11;
  gCurrentPlaylist_S = 19;
  EXPECT_EQ(nowPlayingText(), "Now Playing: Midnight Blue Tunes\rNocturne\rChopin \u2022 \u591C");
}
