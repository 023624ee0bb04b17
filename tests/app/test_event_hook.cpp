// The event handler: the search field's Return, the list's check marks, the
// start requests and the display's redraws.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "app/app.h"
#include "platform/fake/fake_movie.h"
#include "playlists/builder.h"
#include "ui/dbdata.h"
#include "ui/fixture.h"
#include "ui/mainwindow.h"

namespace {

TuneRecipe song(std::int32_t i) {
  TuneRecipe s{"Song " + std::to_string(i)};
  s.album = i == 3 ? "Moonlight Sessions" : "Daylight";
  return s;
}

class EventHook : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    start(5, song);
  }
  // A key (Return) pressed with `text` in the search field and `focus` holding the keyboard.
  static void search(const std::string& text, std::int16_t key = kReturnKeyCode, std::int16_t focus = kSearchField) {
    setControlText(kMainWindow, kSearchField, text);
    toolboxSetKeyboardFocus(kMainWindow, focus);
    ToolboxEvent e{kKeyDownEvent, key, kMainWindow};
    doEvent(e);
  }
};

}  // namespace

TEST_F(EventHook, SearchListsTheMatchesOfCommittedTunesOrBeepsAndKeepsThePlaylist) {
  fillTune(gTunes_A[6], TuneRecipe{"Fresh From The Run"}, 6);
  gTotalTunes_L = 6;  // claimed by an add run, not yet committed
  // Empty, not committed, not found (beeps); Return in the list, another key.
  const std::tuple<const char*, std::int16_t, std::int16_t, int> cases[] = {
      {"", kReturnKeyCode, kSearchField, 1},
      {"Fresh", kReturnKeyCode, kSearchField, 1},
      {"Nowhere", kReturnKeyCode, kSearchField, 1},
      {"Moonlight", kReturnKeyCode, kListControl, 0},
      {"Moonlight", 12, kSearchField, 0}};
  for (const auto& [text, key, focus, beeped] : cases) {
    headlessToolbox().log.clear();
    search(text, key, focus);
    EXPECT_EQ(beeps(), beeped) << text;
    EXPECT_EQ(std::pair(gCurrentPlaylist_S, shownRows().size()), std::pair(kPlaylistAllTunes, std::size_t{5})) << text;
  }
  EXPECT_FALSE(logged("notice:No match found."));
  search("Nowhere");
  EXPECT_TRUE(logged("notice:No match found.") && logged("delay:2000") && !windowExists(kNoticeWindow));
  select(4);
  search("moonLIGHT", kEnterKeyCode);  // found only in an album
  EXPECT_EQ(gCurrentPlaylist_S, 8);
  EXPECT_EQ(gSearchString$, "moonLIGHT");
  EXPECT_EQ(gCurrentSelectedTune_L, 0) << "after a search nothing is selected";
  EXPECT_EQ(shownRows(), std::vector<std::int32_t>{1});
  EXPECT_EQ(gPlaylistTunes_A[1].title, "Song 3");
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText).rfind("Tunes: 1 ", 0), 0u);
}

TEST_F(EventHook, CheckMarkReachesFirstPlayingEntryAndFirstLibraryTuneOfSameTitleAndAlbum) {
  // Library tunes 2 and 4 share title and album; so do playing entries 1 and 3.
  gTunes_A[4].title = gTunes_A[2].title;
  gTunes_A[4].album = gTunes_A[2].album;
  buildCurrentPlaylist();
  gTotalPlaying_L = 3;
  gNowPlaying_A[1] = gTunes_A[2];
  gNowPlaying_A[2] = gTunes_A[1];
  gNowPlaying_A[3] = gTunes_A[4];
  ToolboxEvent e;
  for (std::uint16_t mark : {0, 1}) {  // the user unticks row 4 (library tune 4), then ticks it again
    gCheckCurrent_L = 1;
    gCheckedItem_L = 4;
    doEvent(e);
    EXPECT_EQ(gCheckCurrent_L, 0);
    EXPECT_EQ(gPlaylistTunes_A[4].checked + gNowPlaying_A[1].checked + gTunes_A[2].checked, 3 * mark)
        << "the first playing entry and library tune with that title and album";
    EXPECT_EQ(gNowPlaying_A[3].checked + gTunes_A[4].checked, 2);
  }
  gCheckCurrent_L = 1;
  gCheckedItem_L = 6;  // outside the playlist: nothing changes
  doEvent(e);
  EXPECT_EQ(gCheckCurrent_L, 0);
  EXPECT_EQ(gPlaylistTunes_A[6].checked, 0);
}

TEST_F(EventHook, StartAndDoubleClickRequestsGoToThePlayer) {
  for (std::int32_t i = 1; i <= 5; ++i) fakeMovieScript("/music/Song " + std::to_string(i) + ".mp3", {.duration = 600});
  select(2);
  gStartPlaying_S = 1;
  EXPECT_TRUE(applicationNeedsPasses());
  applicationPass();
  EXPECT_EQ(std::pair(gStartPlaying_S, gNowPlayingItemID_L), std::pair(std::int16_t{0}, 2));

  gKWEDBrowser->callbacks->notify(4, ListNotification::doubleClicked);
  EXPECT_EQ(gDoubleClick_S, 1);
  applicationPass();
  EXPECT_EQ(gDoubleClick_S, 0);
  for (int i = 0; i < 3; ++i, ++headlessToolbox().ticks) applicationPass();  // the first run gives way
  EXPECT_EQ(gNowPlayingItemID_L, 4);
  EXPECT_TRUE(logged("icon:1/11=StopBtn"));
  EXPECT_TRUE(applicationNeedsPasses()) << "a tune sounds";
}
