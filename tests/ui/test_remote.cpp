// The player as other programs see and drive it: the snapshot of what plays
// and the commands, which must meet the same guards as the menu items.
#include <gtest/gtest.h>

#include <cmath>

#include "core/prefs.h"
#include "menus_fixture.h"
#include "ui/remote.h"

namespace {

auto& tb() { return headlessToolbox(); }

class RemoteTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    tb().handlers.menu = doMenu;
  }
  void playing(std::int32_t entry) {
    playShownPlaylist(entry);
    menusForPlaybackStart();
  }
};

TEST_F(RemoteTest, SnapshotOfThePlayingTuneInDisplayText) {
  start(3, numbered);
  Tune& t = gTunes_A[2];
  t.title.assign("Caf\x8E Blue");  // Mac Roman é
  t.artist.assign("Ren\xC3\xA9");  // stored as UTF-8
  t.filePath.assign("/music/My Tunes/caf\xC3\xA9 #1.mp3");
  t.durationSeconds = 245;
  t.hpe = 23456;
  t.colourCategory = 5;
  t.permID = 77;
  buildCurrentPlaylist();

  RemoteState idle = remoteState();
  EXPECT_FALSE(idle.playing);
  EXPECT_FALSE(idle.hasTune);
  EXPECT_TRUE(idle.canPlay);
  EXPECT_FALSE(idle.canGoNext) << "Next is disabled while nothing plays";
  EXPECT_FALSE(idle.canGoPrevious);

  playing(2);
  const RemoteState s = remoteState();
  ASSERT_TRUE(s.hasTune);
  EXPECT_TRUE(s.playing);
  EXPECT_EQ(s.tune.title, "Caf\xC3\xA9 Blue");
  EXPECT_EQ(s.tune.artist, "Ren\xC3\xA9");
  EXPECT_EQ(s.tune.url, "file:///music/My%20Tunes/caf%C3%A9%20%231.mp3");
  EXPECT_EQ(s.tune.lengthMicroseconds, 245'000'000);
  EXPECT_EQ(s.tune.colourName, "Yellow");
  EXPECT_EQ(s.tune.hpe, 23456);
  EXPECT_EQ(s.tune.permID, 77u);
  EXPECT_TRUE(s.canGoNext);
  EXPECT_TRUE(s.canGoPrevious);
  EXPECT_NE(s, idle);

  // An entry outside the playing table (the run between tunes) is no tune.
  gNowPlayingItemID_L = gTotalPlaying_L + 1;
  EXPECT_FALSE(remoteState().hasTune);
  gNowPlayingItemID_L = 2;
  gNowPlaying_A[2].colourCategory = 0;  // not analysed
  EXPECT_EQ(remoteState().tune.colourName, "");
}

TEST_F(RemoteTest, CommandsMeetTheMenuGuards) {
  start(3, numbered);
  EXPECT_FALSE(remoteNext()) << "Next while nothing plays";
  EXPECT_FALSE(remotePrevious());
  EXPECT_FALSE(remoteStop()) << "Stop while nothing plays";
  EXPECT_EQ(gNextTune_S + gBackTune_S + gStopPlaying_S, 0);

  // An add run disables the Player menu: nothing starts.
  menusForAddRun(true);
  EXPECT_FALSE(remoteState().canPlay);
  EXPECT_FALSE(remotePlayPause());
  EXPECT_FALSE(remotePlay());
  EXPECT_EQ(gStartPlaying_S, 0);
  menusForAddRun(false);

  EXPECT_TRUE(remotePlay());
  EXPECT_EQ(gStartPlaying_S, 1);
  EXPECT_TRUE(tb().logged("menuchosen:4/1"));
  gStartPlaying_S = 0;

  playing(1);
  EXPECT_FALSE(remotePlay()) << "Play while playing changes nothing";
  EXPECT_EQ(gStopPlaying_S, 0);
  EXPECT_TRUE(remoteNext());
  EXPECT_EQ(gNextTune_S, 1);
  EXPECT_TRUE(remotePrevious());
  EXPECT_EQ(gBackTune_S, 1);
  EXPECT_TRUE(remoteStop());
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(getMenuItemText(kPlayerMenu, kPlayerPlayItem), "Play");
}

TEST_F(RemoteTest, LoopGoesThroughTheLoopItems) {
  start(3, numbered);
  playing(1);
  EXPECT_EQ(remoteState().loop, RemoteLoop::none);
  for (RemoteLoop to : {RemoteLoop::tune, RemoteLoop::playlist, RemoteLoop::playlist, RemoteLoop::none,
                        RemoteLoop::playlist, RemoteLoop::tune, RemoteLoop::none}) {
    EXPECT_TRUE(remoteSetLoop(to));
    EXPECT_EQ(remoteState().loop, to);
    EXPECT_EQ(lastMark(kLoopMenu, 1), gLoopTune_S == 1 ? "1" : "0") << "the menu's marks follow";
  }
  EXPECT_EQ(gLoopTune_S + gLoopPlaylist_S, 0);

  // Once a run has ended the Loop item waits for the next one.
  menusForPlaybackEnd();
  EXPECT_FALSE(remoteSetLoop(RemoteLoop::tune));
  EXPECT_EQ(gLoopTune_S, 0);
}

TEST_F(RemoteTest, VolumeMapsOntoTheSlider) {
  start(2, numbered);
  EXPECT_EQ(playerVolumeOfRemote(0.0), 0);
  EXPECT_EQ(playerVolumeOfRemote(0.5), 365);
  EXPECT_EQ(playerVolumeOfRemote(1.0), 730);
  EXPECT_EQ(playerVolumeOfRemote(3.0), 730);
  EXPECT_EQ(playerVolumeOfRemote(-0.2), 0);
  EXPECT_EQ(playerVolumeOfRemote(std::nan("")), 0);
  for (std::int16_t v : {0, 1, 273, 364, 729, 730}) EXPECT_EQ(playerVolumeOfRemote(remoteVolumeOfPlayer(v)), v);

  remoteSetVolume(0.25);
  EXPECT_EQ(gPlayerVolume_S, 183);
  EXPECT_EQ(getControlValue(kMainWindow, kVolumeSlider), 183) << "the slider shows it";
  EXPECT_DOUBLE_EQ(remoteState().volume, 183.0 / 730);
}

}  // namespace
