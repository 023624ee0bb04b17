// The player as other programs see and drive it: the snapshot of what plays
// and the commands, which must meet the same guards as the menu items.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

#include "ui/fixture.h"
#include "ui/remote.h"

namespace {

using RemoteTest = MenuTest;

// The snapshot's texts are UTF-8 whatever the record holds, its address
// escapes every byte outside the unreserved ones, an unanalysed tune has no
// colour, and an entry outside the playing table is no tune.
TEST_F(RemoteTest, SnapshotOfThePlayingTuneInDisplayText) {
  start(3);
  Tune& t = gTunes_A[2];
  t.title.assign("Caf\x8E Blue");  // Mac Roman
  t.artist.assign("Ren\xC3\xA9");  // stored as UTF-8
  t.filePath.assign("/music/My Tunes/caf\xC3\xA9 #1.mp3");
  t.colourCategory = 0;
  buildCurrentPlaylist();
  EXPECT_FALSE(remoteState().hasTune || remoteState().canGoNext);
  playShownPlaylist(2);
  menusForPlaybackStart();
  const RemoteState s = remoteState();
  ASSERT_TRUE(s.hasTune && s.canGoNext && s.canGoPrevious);
  EXPECT_EQ(s.tune.title + "|" + s.tune.artist + "|" + s.tune.url + "|" + s.tune.colourName,
            "Caf\xC3\xA9 Blue|Ren\xC3\xA9|file:///music/My%20Tunes/caf%C3%A9%20%231.mp3|");
  gNowPlayingItemID_L = gTotalPlaying_L + 1;
  EXPECT_FALSE(remoteState().hasTune);
}

// The commands are the Player menu's items, chosen as the person chooses them.
TEST_F(RemoteTest, CommandsAndLoopMeetTheMenuGuardsAndVolumeMapsOntoTheSlider) {
  start(3);
  // While nothing plays; then during an add run, which disables the Player menu.
  EXPECT_FALSE(remoteNext() || remotePrevious() || remoteStop() || gNextTune_S + gBackTune_S + gStopPlaying_S);
  menusForAddRun(true);
  EXPECT_FALSE(remoteState().canPlay || remotePlayPause() || remotePlay() || gStartPlaying_S);
  menusForAddRun(false);
  EXPECT_TRUE(remotePlay());  // with nothing selected, from row one
  EXPECT_EQ(std::tuple(gStartPlaying_S, gCurrentSelectedTune_L, menuText(kPlayerMenu, kPlayerPlayItem)),
            std::tuple(1, 1, "Stop Playing"));

  playShownPlaylist(1);
  menusForPlaybackStart();
  EXPECT_FALSE(remotePlay()) << "Play while playing changes nothing";
  EXPECT_TRUE(remoteNext() && remotePrevious() && remoteStop());
  EXPECT_EQ((std::array{gNextTune_S, gBackTune_S, gStopPlaying_S}), (std::array<std::int16_t, 3>{1, 1, 1}));
  EXPECT_EQ(menuText(kPlayerMenu, kPlayerPlayItem), "Play");

  // The Loop items, in the next run.
  menusForPlaybackStart();
  EXPECT_EQ(remoteState().loop, RemoteLoop::none);
  for (RemoteLoop to : {RemoteLoop::tune, RemoteLoop::playlist, RemoteLoop::playlist, RemoteLoop::none,
                        RemoteLoop::playlist, RemoteLoop::tune, RemoteLoop::none}) {
    EXPECT_TRUE(remoteSetLoop(to));
    EXPECT_EQ(remoteState().loop, to);
    const char* const marks[] = {"000", "101", "011"};  // Loop Tune, Loop Playlist, the Player menu's Loop
    EXPECT_EQ(lastMark(kLoopMenu, 1) + lastMark(kLoopMenu, 2) + lastMark(kPlayerMenu, kPlayerLoopItem),
              marks[static_cast<int>(to)]);
  }
  // Once a run has ended the Loop item waits for the next one.
  menusForPlaybackEnd();
  EXPECT_FALSE(remoteSetLoop(RemoteLoop::tune) || gLoopTune_S);

  // The volume maps onto the slider's range.
  const std::pair<double, int> cases[] = {{0.0, 0}, {0.5, 365}, {1.0, 730}, {3.0, 730}, {-0.2, 0}, {std::nan(""), 0}};
  for (auto [remote, player] : cases) EXPECT_EQ(playerVolumeOfRemote(remote), player) << remote;
  for (std::int16_t v : {0, 1, 273, 364, 729, 730}) EXPECT_EQ(playerVolumeOfRemote(remoteVolumeOfPlayer(v)), v);
  remoteSetVolume(0.25);
  EXPECT_EQ(std::pair(+gPlayerVolume_S, getControlValue(kMainWindow, kVolumeSlider)), std::pair(183, 183));
  EXPECT_DOUBLE_EQ(remoteState().volume, 183.0 / 730);
}

}  // namespace
