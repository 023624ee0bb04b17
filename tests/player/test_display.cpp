#include <gtest/gtest.h>

#include <cstring>

#include "core/appstate.h"
#include "library/tune.h"
#include "player/display.h"
#include "playlists/builder.h"

namespace {

class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    gWeArePlaying_S = 0;
    gCurrentPlaylist_S = 3;
    gSearchString$.clear();
  }
  void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(Display, IdleNamesTheShownPlaylist) {
  EXPECT_EQ(nowPlayingText(), "-\rAll Tunes\r-");
  gCurrentPlaylist_S = 14;
  EXPECT_EQ(nowPlayingText(), "-\rBright Green Tunes\r-");
  gCurrentPlaylist_S = 8;
  gSearchString$.assign("caf\x8E");  // stored Mac Roman
  EXPECT_EQ(nowPlayingText(), "-\rSearch Results: caf\u00E9\r-");
}

TEST_F(Display, PlayingNamesThePlayingPlaylistAndTune) {
  Tune& t = gNowPlaying_A[2];
  t = Tune{};
  t.title.assign("Nocturne");
  t.artist.assign("Chopin");
  t.album.assign("\xE5\xA4\x9C");  // UTF-8 beside Mac Roman fields
  gWeArePlaying_S = 1;
  gNowPlayingItemID_L = 2;
  gCurrentPlayingPL_S = 11;
  gCurrentPlaylist_S = 19;  // the shown list changed meanwhile
  EXPECT_EQ(nowPlayingText(), "Now Playing: Midnight Blue Tunes\rNocturne\rChopin \u2022 \u591C");
}

TEST_F(Display, PanelLayersFollowTheWindowWidth) {
  DisplayPanel p = nowPlayingPanel(1200, 700);
  EXPECT_DOUBLE_EQ(p.layers[0].width, 700);
  EXPECT_DOUBLE_EQ(p.layers[0].top, 6);
  EXPECT_DOUBLE_EQ(p.layers[1].top, 3);
  EXPECT_DOUBLE_EQ(p.layers[2].grey, 0.86);
  EXPECT_EQ(p.textBox.left, 250);
  EXPECT_EQ(p.textBox.top, 13);
  EXPECT_EQ(p.textBox.width, 700);
  EXPECT_EQ(p.textBox.height, 47);
  p = nowPlayingPanel(480, 700);
  EXPECT_DOUBLE_EQ(p.layers[2].width, 0);
  EXPECT_EQ(p.textBox.width, 0);
}
