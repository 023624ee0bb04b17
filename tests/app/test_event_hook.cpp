// The event handler: the search field's Return, the list's check marks, the
// start requests and the display's redraws.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "app/app.h"
#include "ui/fixture.h"

namespace {

class EventHook : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    start(5);
    gTunes_A[3].album.assign("Moonlight Sessions");
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
  search("Nowhere");
  EXPECT_TRUE(logged("notice:No match found.") && logged("delay:2000") && !windowExists(kNoticeWindow));
  select(4);
  search("moonLIGHT", kEnterKeyCode);  // found only in an album; after a search nothing is selected
  EXPECT_EQ(std::tuple(gCurrentPlaylist_S, gSearchString$.str(), gCurrentSelectedTune_L, shownRows(),
                       gPlaylistTunes_A[1].title.str(), getControlText(kMainWindow, kSummaryText).substr(0, 9)),
            std::tuple(8, "moonLIGHT", 0, std::vector<std::int32_t>{1}, "Tune 3", "Tunes: 1 "));
}

// A tick on a row reaches the first playing entry and the first library tune
// with the row's title and album; a row outside the playlist changes nothing.
TEST_F(EventHook, CheckMarkReachesFirstPlayingEntryAndFirstLibraryTuneOfSameTitleAndAlbum) {
  // Library tunes 2 and 4 share title and album; so do playing entries 1 and 3.
  gTunes_A[4].title = gTunes_A[2].title;
  gTunes_A[4].album = gTunes_A[2].album;
  buildCurrentPlaylist();
  gTotalPlaying_L = 3;
  gNowPlaying_A[1] = gTunes_A[2];
  gNowPlaying_A[2] = gTunes_A[1];
  gNowPlaying_A[3] = gTunes_A[4];
  std::string marks;                    // row 4, playing entries 1 and 3, library tunes 2 and 4, row 6
  for (std::int32_t row : {4, 4, 6}) {  // row 4 (library tune 4) unticked, ticked again
    gCheckCurrent_L = 1;
    gCheckedItem_L = row;
    ToolboxEvent e;
    doEvent(e);
    for (const Tune* t :
         {&gPlaylistTunes_A[4], &gNowPlaying_A[1], &gNowPlaying_A[3], &gTunes_A[2], &gTunes_A[4], &gPlaylistTunes_A[6]})
      marks += std::to_string(t->checked);
    marks += std::to_string(gCheckCurrent_L) + ";";
  }
  EXPECT_EQ(marks, "0010100;1111100;1111100;");
}

TEST_F(EventHook, StartAndDoubleClickRequestsGoToThePlayer) {
  for (std::int32_t i = 1; i <= 5; ++i) fakeMovieScript(gTunes_A[i].filePath.str(), {.duration = 600});
  select(2);
  gStartPlaying_S = 1;
  EXPECT_TRUE(applicationNeedsPasses());
  applicationPass();
  EXPECT_EQ(std::pair(gStartPlaying_S, gNowPlayingItemID_L), std::pair(std::int16_t{0}, 2));

  gKWEDBrowser->callbacks->notify(4, ListNotification::doubleClicked);
  for (int i = 0; i < 4; ++i, ++headlessToolbox().ticks) applicationPass();  // the first run gives way
  // Entry 4 sounds, with the Stop icon on the Play button; the request is spent.
  EXPECT_EQ(std::tuple(gNowPlayingItemID_L, logged("icon:1/11=StopBtn"), applicationNeedsPasses(), gDoubleClick_S),
            std::tuple(4, true, true, 0));
}
