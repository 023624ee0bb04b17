#include <gtest/gtest.h>

#include "app/app.h"
#include "app_fixture.h"
#include "core/appstate.h"
#include "platform/fake/fake_movie.h"
#include "platform/headless/headless_toolbox.h"
#include "playlists/builder.h"
#include "ui/dbdata.h"
#include "ui/mainwindow.h"

namespace {

TuneRecipe song(std::int32_t i) {
  TuneRecipe s;
  s.title = "Song " + std::to_string(i);
  s.album = i == 3 ? "Moonlight Sessions" : "Daylight";
  return s;
}

class EventHook : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    makeLibrary(5, song);
    buildCurrentPlaylist();
    buildMainWindow();
  }
  // Return pressed in the search field with `text` in it.
  void search(const std::string& text, std::int16_t key = kReturnKeyCode) {
    setControlText(kMainWindow, kSearchField, text);
    toolboxSetKeyboardFocus(kMainWindow, kSearchField);
    ToolboxEvent e{kKeyDownEvent, key, kMainWindow};
    doEvent(e);
  }
  std::string summary() { return getControlText(kMainWindow, kSummaryText); }
};

}  // namespace

TEST_F(EventHook, EmptySearchBeepsAndRebuildsNothing) {
  const Str255 identity = gCurrentPlayllistIDName$;
  search("");
  EXPECT_EQ(headlessToolbox().beeps, 1);
  EXPECT_EQ(gCurrentPlaylist_S, 3);
  EXPECT_EQ(gCurrentPlayllistIDName$, identity);
  EXPECT_EQ(toolboxKeyboardFocus(kMainWindow), kSearchField);
}

TEST_F(EventHook, TextFoundOnlyInAnAlbumShowsTheSearchPlaylist) {
  gCurrentSelectedTune_L = 4;
  search("moonLIGHT", kEnterKeyCode);
  EXPECT_EQ(headlessToolbox().beeps, 0);
  EXPECT_EQ(gCurrentPlaylist_S, 8);
  EXPECT_EQ(gSearchString$, "moonLIGHT");
  EXPECT_EQ(gCurrentSelectedTune_L, 0) << "after a search nothing is selected";
  EXPECT_EQ(listViewShownRows(kMainWindow, kListControl), std::vector<std::int32_t>{1});
  std::string title;
  ASSERT_TRUE(DBDataGetText(gKWEDBrowser, kColName, 1, title));
  EXPECT_EQ(title, "Song 3");
  EXPECT_EQ(summary(), playlistSummaryText());
  EXPECT_EQ(summary().rfind("Tunes: 1 ", 0), 0u);
}

TEST_F(EventHook, NoMatchShowsTheNoticeForTwoSecondsAndKeepsThePlaylist) {
  search("Nowhere");
  auto& tb = headlessToolbox();
  EXPECT_EQ(tb.beeps, 1);
  EXPECT_TRUE(tb.logged("notice:No match found."));
  EXPECT_TRUE(tb.logged("delay:2000"));
  EXPECT_FALSE(windowExists(kNoticeWindow));
  EXPECT_EQ(gCurrentPlaylist_S, 3);
  EXPECT_EQ(listViewShownRows(kMainWindow, kListControl).size(), 5u);
}

TEST_F(EventHook, SearchSeesOnlyCommittedTunes) {
  fillTune(gTunes_A[6], TuneRecipe{"Fresh From The Run"}, 6);
  gTotalTunes_L = 6;  // claimed by an add run, not yet committed
  search("Fresh");
  EXPECT_EQ(headlessToolbox().beeps, 1);
  EXPECT_EQ(gCurrentPlaylist_S, 3);
}

TEST_F(EventHook, ReturnOutsideTheSearchFieldOrAnotherKeyDoesNotSearch) {
  setControlText(kMainWindow, kSearchField, "Moonlight");
  toolboxSetKeyboardFocus(kMainWindow, kListControl);
  ToolboxEvent e{kKeyDownEvent, kReturnKeyCode, kMainWindow};
  doEvent(e);
  toolboxSetKeyboardFocus(kMainWindow, kSearchField);
  ToolboxEvent other{kKeyDownEvent, 12, kMainWindow};
  doEvent(other);
  EXPECT_EQ(gCurrentPlaylist_S, 3);
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
  // The user unticks row 4 (library tune 4).
  gCheckCurrent_L = 1;
  gCheckedItem_L = 4;
  ToolboxEvent e;
  doEvent(e);
  EXPECT_EQ(gCheckCurrent_L, 0);
  EXPECT_EQ(gPlaylistTunes_A[4].checked, 0);
  EXPECT_EQ(gNowPlaying_A[1].checked, 0);
  EXPECT_EQ(gNowPlaying_A[3].checked, 1);
  EXPECT_EQ(gTunes_A[2].checked, 0) << "the first library tune with that title and album";
  EXPECT_EQ(gTunes_A[4].checked, 1);
  // A second click ticks it again.
  gCheckCurrent_L = 1;
  doEvent(e);
  EXPECT_EQ(gPlaylistTunes_A[4].checked, 1);
  EXPECT_EQ(gTunes_A[2].checked, 1);
}

TEST_F(EventHook, CheckMarkOfAnEntryOutsideThePlaylistChangesNothing) {
  gCheckCurrent_L = 1;
  gCheckedItem_L = 6;
  ToolboxEvent e;
  doEvent(e);
  EXPECT_EQ(gCheckCurrent_L, 0);
  EXPECT_EQ(gPlaylistTunes_A[6].checked, 0);
}

TEST_F(EventHook, StartAndDoubleClickRequestsGoToThePlayer) {
  for (std::int32_t i = 1; i <= 5; ++i) fakeMovieScript("/music/Song " + std::to_string(i) + ".mp3", {.duration = 600});
  gCurrentSelectedTune_L = 2;
  gStartPlaying_S = 1;
  EXPECT_TRUE(applicationNeedsPasses());
  applicationPass();
  EXPECT_EQ(gStartPlaying_S, 0);
  EXPECT_EQ(gNowPlayingItemID_L, 2);

  gKWEDBrowser->callbacks->notify(4, ListNotification::doubleClicked);
  EXPECT_EQ(gDoubleClick_S, 1);
  applicationPass();
  EXPECT_EQ(gDoubleClick_S, 0);
  for (int i = 0; i < 3; ++i, ++headlessToolbox().ticks) applicationPass();  // the first run gives way
  EXPECT_EQ(gNowPlayingItemID_L, 4);
  EXPECT_TRUE(headlessToolbox().logged("icon:1/11=StopBtn"));
  EXPECT_TRUE(applicationNeedsPasses()) << "a tune sounds";
}

TEST_F(EventHook, RefreshFlagAndWindowEventsRedrawTheDisplay) {
  auto& tb = headlessToolbox();
  tb.log.clear();
  gRefreshDisplay_S = 1;
  ToolboxEvent e;
  doEvent(e);
  EXPECT_EQ(gRefreshDisplay_S, 0);
  EXPECT_TRUE(tb.logged("display:1/7002=-\rAll Tunes\r-"));
  tb.log.clear();
  ToolboxEvent os{kOSEvent, -1, kMainWindow};
  doEvent(os);
  EXPECT_TRUE(tb.logged("display:"));
}
