#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/paths.h"
#include "core/tasks.h"
#include "library/database.h"
#include "menus_fixture.h"
#include "platform/fake/fake_movie.h"
#include "player/playback.h"
#include "ui/maintenance.h"

namespace {

auto& tb() { return headlessToolbox(); }

TuneRecipe genres(std::int32_t i) {
  static const char* const kGenres[] = {"Rock", "Soundtrack", "Holiday", "Holiday & Seasonal", "Jazz"};
  TuneRecipe s;
  s.title = "Song " + std::to_string(i);
  s.artist = i <= 5 ? "Band" : (i == 6 ? "Unknown" : "unknown");
  s.album = i <= 5 ? "Record" : "Unknown";
  s.genre = i <= 5 ? kGenres[i - 1] : "Blues";
  return s;
}

using Rows = std::vector<std::int32_t>;

TEST_F(MenuTest, DeleteTuneRefusesThePlayingRow) {
  start(5, numbered);
  playShownPlaylist(3);
  select(3);
  doMenu(kEditMenu, 15);
  EXPECT_EQ(beeps(), 1);
  EXPECT_EQ(tb().log.size(), 1u);
  EXPECT_EQ(gStartTotalTunes_L, 5);
  EXPECT_EQ(gTotalPlaylistTunes_L, 5);
  EXPECT_EQ(gTotalPlaying_L, 5);
  EXPECT_EQ(shownRows().size(), 5u);
}

TEST_F(MenuTest, DeleteTuneInThePlayingPlaylistKeepsTablesListAndPlayingRowInStep) {
  start(5, numbered);
  playShownPlaylist(4);
  select(2);
  doMenu(kEditMenu, 15);
  EXPECT_EQ(beeps(), 0);
  EXPECT_EQ(gStartTotalTunes_L, 4);
  EXPECT_EQ(gTotalTunes_L, 4);
  EXPECT_EQ(gTotalPlaying_L, 4);
  ASSERT_EQ(gTotalPlaylistTunes_L, 4);
  const char* const expected[] = {"", "Tune 1", "Tune 3", "Tune 4", "Tune 5"};
  for (std::int32_t i = 1; i <= 4; ++i) {
    EXPECT_EQ(gTunes_A[i].title.view(), expected[i]);
    EXPECT_EQ(gPlaylistTunes_A[i].title.view(), expected[i]) << "the playlist table loses the row too";
    EXPECT_EQ(gNowPlaying_A[i].title.view(), expected[i]);
    std::string cell;
    ASSERT_TRUE(DBDataGetText(gKWEDBrowser, kColName, i, cell));
    EXPECT_EQ(cell, expected[i]) << "row ID i shows playlist entry i";
  }
  EXPECT_EQ(shownRows(), (Rows{1, 2, 3, 4}));
  EXPECT_EQ(gNowPlayingItemID_L, 3) << "still names Tune 4, which moved down one place";
  EXPECT_EQ(gCurrentSelectedTune_L, 3) << "the selection moves to the playing row";
  EXPECT_EQ(tb().list(kMainWindow, kListControl)->selected, 3);
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText).rfind("Tunes: 4", 0), 0u);
  EXPECT_EQ(+gTunes_A[3].tuneNumber, 4) << "moved tunes keep their numbers";
}

TEST_F(MenuTest, DeleteTuneOnRowOneOfAStillPlaylistSelectsNothing) {
  start(3, numbered);
  select(1);
  doMenu(kEditMenu, 15);
  EXPECT_EQ(gCurrentSelectedTune_L, 0);
  EXPECT_EQ(gTotalPlaylistTunes_L, 2);
  EXPECT_EQ(gTunes_A[1].title.view(), "Tune 2");
  select(0);
  doMenu(kEditMenu, 15);
  EXPECT_TRUE(tb().logged("caution:No Tune Selected"));
  EXPECT_EQ(gStartTotalTunes_L, 2);
}

TEST_F(MenuTest, SetGenreForArtistSparesHolidayAndSoundtrackButForAlbumDoesNot) {
  start(7, genres);
  select(1);
  doSetGenreForArtist("Pop");
  const char* const afterArtist[] = {"", "Pop", "Soundtrack", "Holiday", "Holiday & Seasonal", "Pop"};
  for (std::int32_t i = 1; i <= 5; ++i) {
    EXPECT_EQ(gTunes_A[i].genre.view(), afterArtist[i]) << i;
    EXPECT_EQ(gPlaylistTunes_A[i].genre.view(), afterArtist[i]) << i;
  }
  EXPECT_EQ(gTunes_A[1].genreGroup.view(), "Pop");
  std::string cell;
  ASSERT_TRUE(DBDataGetText(gKWEDBrowser, kColGenre, 5, cell));
  EXPECT_EQ(cell, "Pop") << "the list shows the new genre";
  doSetGenreForAlbum("Jazz");
  for (std::int32_t i = 1; i <= 5; ++i) EXPECT_EQ(gTunes_A[i].genre.view(), "Jazz") << i;
  EXPECT_EQ(gTunes_A[6].genre.view(), "Blues") << "other album untouched";
}

TEST_F(MenuTest, SetGenreRefusesUnknownButNotLowerCaseUnknown) {
  start(7, genres);
  select(6);  // artist "Unknown", album "Unknown"
  doSetGenreForArtist("Pop");
  EXPECT_TRUE(
      tb().logged("caution:Unknown Artist Error|Sorry, you cannot batch change the genre of unknown artists.|Okay"));
  doSetGenreForAlbum("Pop");
  EXPECT_TRUE(
      tb().logged("caution:Unknown Album Error|Sorry, you cannot batch change the genre of unknown albums.|Okay"));
  EXPECT_EQ(gTunes_A[6].genre.view(), "Blues");
  select(7);  // artist "unknown"
  doSetGenreForArtist("Pop");
  EXPECT_EQ(gTunes_A[7].genre.view(), "Pop");
  EXPECT_EQ(gTunes_A[6].genre.view(), "Blues") << "case matters";
  select(0);
  doSetGenreForArtist("Pop");
  EXPECT_TRUE(tb().logged("caution:Nothing Selected|You must select an artist to use this feature.|Okay"));
}

TEST_F(MenuTest, CheckMarkAllOnAllTunesTakesRowIAsTuneIWhateverTheOrder) {
  start(4, numbered);
  listViewSetSortColumn(kMainWindow, kListControl, kColName);
  // Rows that match no library tune on four fields: only the All Tunes rule
  // (row i is tune i) reaches the library.
  for (std::int32_t i = 1; i <= 4; ++i) gPlaylistTunes_A[i].genre.assign("Edited");
  playShownPlaylist(1);
  doMenu(kEditMenu, 11);
  for (std::int32_t i = 1; i <= 4; ++i) {
    EXPECT_EQ(+gTunes_A[i].checked, 0) << i;
    EXPECT_EQ(+gPlaylistTunes_A[i].checked, 0);
    EXPECT_EQ(+gNowPlaying_A[i].checked, 0) << "matched on title and album";
    std::int32_t box = -1;
    ASSERT_TRUE(DBDataGetBtnVal(gKWEDBrowser, kColCheck, i, box));
    EXPECT_EQ(box, 0);
  }
  // A playlist shorter than the library reaches only four-field matches.
  gTotalPlaylistTunes_L = 2;
  gPlaylistTunes_A[2].genre.assign("Rock");
  doMenu(kEditMenu, 10);
  EXPECT_EQ(+gTunes_A[1].checked, 0) << "row 1 matches no tune";
  EXPECT_EQ(+gTunes_A[2].checked, 1);
  EXPECT_EQ(+gTunes_A[3].checked, 0);
  gTotalPlaylistTunes_L = 0;
  doMenu(kEditMenu, 10);
  EXPECT_TRUE(tb().logged("caution:Empty List Error|There are no tunes in the list to check-mark.|Okay"));
}

TEST_F(MenuTest, FlushCancelledChangesNothingConfirmedLeavesAnEmptyLibrary) {
  start(3, numbered);
  saveDatabaseFiles();
  const std::string file = libraryFilePath();
  const auto sizeBefore = std::filesystem::file_size(file);
  tb().cautionAnswers = {false};
  doMenu(kFileMenu, 4);
  EXPECT_TRUE(
      tb().logged("caution:Flush Lumaroll Library|Are you sure you want to flush your library? This process cannot be "
                  "undone.|Flush "
                  "Database"));
  EXPECT_EQ(gStartTotalTunes_L, 3);
  EXPECT_EQ(std::filesystem::file_size(file), sizeBefore);
  playShownPlaylist(1);
  doMenu(kFileMenu, 4);
  EXPECT_EQ(stops(), 1);
  EXPECT_EQ(gStopPlaying_S, 1);
  EXPECT_EQ(gStartTotalTunes_L, 0);
  EXPECT_EQ(gTotalPlaylistTunes_L, 0);
  EXPECT_EQ(gTotalPlaying_L, 0);
  EXPECT_EQ(gTotalDarkBlueTunes_L + gTotalBlueTunes_L + gTotalGreenTunes_L, 0);
  EXPECT_EQ(gTunes_A[1].title.view(), "");
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(std::filesystem::file_size(file), 0u);
  EXPECT_TRUE(shownRows().empty());
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText), "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB");
}

TEST_F(MenuTest, ClearSmartPlaysLeavesThePlayingCounts) {
  start(3, numbered);
  playShownPlaylist(1);
  doMenu(kEditMenu, 13);
  for (std::int32_t i = 1; i <= 3; ++i) {
    EXPECT_EQ(+gTunes_A[i].playCount, 0);
    EXPECT_EQ(+gPlaylistTunes_A[i].playCount, 0);
    EXPECT_EQ(+gNowPlaying_A[i].playCount, i);
    std::string cell;
    ASSERT_TRUE(DBDataGetText(gKWEDBrowser, kColPlays, i, cell));
    EXPECT_EQ(cell, " 0");
  }
}

TEST_F(MenuTest, RevealSelectedTuneHandsTheFileToTheFileManager) {
  start(3, numbered);
  select(2);
  doMenu(kFileMenu, 6);
  EXPECT_TRUE(tb().logged("reveal:/music/Tune 2.mp3"));
  EXPECT_EQ(beeps(), 0);
  tb().revealResult = -1;
  doMenu(kFileMenu, 6);
  EXPECT_EQ(beeps(), 1) << "nothing could show it";
  select(0);
  doMenu(kFileMenu, 6);
  EXPECT_TRUE(tb().logged("caution:No Tune Selected"));
}

TEST_F(MenuTest, RevealNowPlayingShowsThePlayingPlaylistAgain) {
  start(5, numbered);
  playShownPlaylist(2);
  const std::string playing = gCurrentPlayllistIDName$.str();
  gCurrentPlaylist_S = kPlaylistArtist;
  gCurrentMatchTune_L = 1;
  buildCurrentPlaylist();  // another playlist is shown
  gTotalPlaying_L = 4;     // the playing table is its own
  doMenu(kPlayerMenu, 12);
  EXPECT_EQ(gTotalPlaylistTunes_L, 4);
  EXPECT_EQ(gCurrentSelectedTune_L, 2);
  EXPECT_EQ(gCurrentPlaylist_S, kPlaylistAllTunes);
  EXPECT_EQ(gCurrentPlayingIDName$, gCurrentPlayllistIDName$);
  EXPECT_NE(gCurrentPlayllistIDName$.view(), playing);
  EXPECT_EQ(gMatchResultSeconds_L, 4 * 180);
  EXPECT_EQ(gTotalTuneMBs_UL, 16u);
  EXPECT_EQ(shownRows(), (Rows{1, 2, 3, 4}));
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText).rfind("Tunes: 4", 0), 0u);
  unloadMovie();
  doMenu(kPlayerMenu, 12);
  EXPECT_TRUE(tb().logged("caution:Nothing Playing|There is no actively playing playlist.|Okay"));
}

}  // namespace

namespace {

TEST_F(MenuTest, DeleteTuneRemovesTheRowsOwnTuneWhateverItsTexts) {
  start(4, numbered);
  playShownPlaylist(1);
  unloadMovie();
  gTunes_A[3].title.assign("Edited");  // an edit reaches the library, not the playlist
  gNowPlaying_A[3].title.assign("Edited");
  fillTune(gTunes_A[2], numbered(4), 2);  // tune 2 now has all four texts of tune 4
  select(3);
  doMenu(kEditMenu, 15);
  select(3);  // Tune 4
  doMenu(kEditMenu, 15);
  ASSERT_EQ(gStartTotalTunes_L, 2);
  EXPECT_EQ(gTunes_A[1].title.view(), "Tune 1");
  EXPECT_EQ(+gTunes_A[2].permID, 2) << "its lookalike stays";
  EXPECT_EQ(gTotalPlaying_L, 2);
  EXPECT_EQ(gTotalPlaylistTunes_L, 2);
  EXPECT_EQ(shownRows(), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(gCurrentSelectedTune_L, 2) << "nothing loaded: the row before";
}

}  // namespace

// Delete Tune while a run plays: the run goes on over exactly the entries
// that remain, in the list's order and in index order.
TEST_F(MenuTest, DeleteTuneDuringAPlayRunLeavesTheRunOnTheEntriesThatRemain) {
  fakeMovieReset();
  start(5, numbered);
  for (std::int32_t k = 1; k <= 5; ++k) fakeMovieScript("/music/Tune " + std::to_string(k) + ".mp3", {.duration = 600});
  auto pass = [] {
    ++tb().ticks;
    if (gStartPlaying_S == 1) {
      gStartPlaying_S = 0;
      startPlayingFromButtons();
    }
    runTasks(tb().ticks);
  };
  auto opened = [] {
    std::vector<std::string> v;
    for (const auto& c : fakeMovieCalls())
      if (c.kind == FakeMovieCallKind::open) v.push_back(c.path.substr(12, 1));
    return v;
  };
  using Opened = std::vector<std::string>;

  select(3);
  startPlayingFromButtons();
  pass();
  select(1);
  doMenu(kEditMenu, 15);  // the list shows the playing table
  EXPECT_EQ(gNowPlayingItemID_L, 2);
  fakeMovieFinish();
  pass();
  EXPECT_EQ(opened(), (Opened{"3", "4"})) << "the entry after the playing one, not the one after that";

  doMenu(kPlaylistsMenu, 1);  // another build: index order
  select(4);                  // Tune 5, the last playing entry
  doMenu(kEditMenu, 15);
  fakeMovieFinish();
  pass();
  EXPECT_EQ(opened(), (Opened{"3", "4"})) << "the deleted last entry does not play from a stale copy";
  EXPECT_FALSE(playRunActive());
  cancelAllTasks();
}
