// The library's maintenance commands: Delete Tune, the genre and check-mark
// batches, Flush, Clear Smart-Plays and the Reveal items.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "core/paths.h"
#include "library/database.h"
#include "ui/fixture.h"
#include "ui/maintenance.h"

namespace {

TuneRecipe genres(std::int32_t i) {
  static const char* const kGenres[] = {"Rock", "Soundtrack", "Holiday", "Holiday & Seasonal", "Jazz"};
  return {.title = "Song " + std::to_string(i),
          .artist = i <= 5 ? "Band" : (i == 6 ? "Unknown" : "unknown"),
          .album = i <= 5 ? "Record" : "Unknown",
          .genre = i <= 5 ? kGenres[i - 1] : "Blues"};
}

using Rows = std::vector<std::int32_t>;

// One field of entries 1..n of a table, each followed by ';'.
template <class Text>
std::string column(const TuneTable& table, std::int32_t n, Text Tune::*field) {
  std::string s;
  for (std::int32_t i = 1; i <= n; ++i) s += (table[i].*field).str() + ";";
  return s;
}
std::string titles(const TuneTable& table, std::int32_t n) { return column(table, n, &Tune::title); }

std::string cell(ListColumnKey column, std::int32_t row) {
  std::string text;
  EXPECT_TRUE(DBDataGetText(gKWEDBrowser, column, row, text));
  return text;
}

void deleteRow(std::int32_t row) {
  gCurrentSelectedTune_L = row;
  doMenu(kEditMenu, 15);
}

// The playing row cannot go; another row goes from the library, the
// playlist, the playing table and the list at once, and the playing row
// follows its tune.
TEST_F(MenuTest, DeleteTuneInThePlayingPlaylistKeepsTablesListAndPlayingRowInStep) {
  start(5);
  playShownPlaylist(4);
  deleteRow(4);
  EXPECT_EQ(std::pair(beeps(), gStartTotalTunes_L + gTotalPlaylistTunes_L + gTotalPlaying_L), std::pair(1, 15));
  deleteRow(2);
  EXPECT_EQ(gStartTotalTunes_L + gTotalTunes_L + gTotalPlaying_L, 12);
  ASSERT_EQ(gTotalPlaylistTunes_L, 4);
  const std::string expected = "Tune 1;Tune 3;Tune 4;Tune 5;";
  EXPECT_EQ(titles(gTunes_A, 4) + titles(gPlaylistTunes_A, 4) + titles(gNowPlaying_A, 4),
            expected + expected + expected);
  // Row ID i shows playlist entry i; the playing ID still names Tune 4, which
  // moved down one place, and the selection moves to it; moved tunes keep
  // their numbers.
  EXPECT_EQ(std::tuple(cell(kColName, 2), shownRows(), gNowPlayingItemID_L,
                       headlessToolbox().list(kMainWindow, kListControl)->selected, +gTunes_A[3].tuneNumber),
            std::tuple("Tune 3", Rows{1, 2, 3, 4}, 3, 3, 4));
}

// The row's own tune goes, whatever its texts and its lookalikes; with
// nothing loaded the row before is selected, none after row one.
TEST_F(MenuTest, DeleteTuneRemovesTheRowsOwnTuneWhateverItsTexts) {
  start(4);
  playShownPlaylist(1);
  gNowPlayingMovie = nullptr;          // forgotten, as between tunes
  gTunes_A[3].title.assign("Edited");  // an edit reaches the library, not the playlist
  gNowPlaying_A[3].title.assign("Edited");
  fillTune(gTunes_A[2], numbered(4), 2);  // tune 2 now has all four texts of tune 4
  deleteRow(3);
  deleteRow(3);  // Tune 4; its lookalike, tune 2, stays
  EXPECT_EQ(std::tuple(titles(gTunes_A, gStartTotalTunes_L), +gTunes_A[2].permID,
                       gTotalPlaying_L + gTotalPlaylistTunes_L, shownRows(), gCurrentSelectedTune_L),
            std::tuple("Tune 1;Tune 4;", 2u, 4, Rows{1, 2}, 2));
  deleteRow(1);
  doMenu(kEditMenu, 15);  // nothing is selected after row one went
  EXPECT_TRUE(logged("caution:No Tune Selected") && gStartTotalTunes_L == 1);
}

// Delete Tune while a run plays: the run goes on over exactly the entries
// that remain, in the list's order and in index order.
TEST_F(MenuTest, DeleteTuneDuringAPlayRunLeavesTheRunOnTheEntriesThatRemain) {
  start(5);
  for (std::int32_t k = 1; k <= 5; ++k) fakeMovieScript("/music/Tune " + std::to_string(k) + ".mp3", {.duration = 600});
  auto opened = [] {
    std::string v;
    for (const auto& c : fakeMovieCalls())
      if (c.kind == FakeMovieCallKind::open) v += c.path.substr(12, 1);
    return v;
  };
  select(3);
  gStartPlaying_S = 1;
  pass();
  deleteRow(1);  // the list shows the playing table
  EXPECT_EQ(gNowPlayingItemID_L, 2);
  fakeMovieFinish();
  pass();
  EXPECT_EQ(opened(), "34") << "the entry after the playing one, not the one after that";

  doMenu(kPlaylistsMenu, 1);  // another build: index order
  deleteRow(4);               // Tune 5, the last playing entry
  fakeMovieFinish();
  pass();
  EXPECT_EQ(opened(), "34") << "the deleted last entry does not play from a stale copy";
  EXPECT_FALSE(playRunActive());
}

// For an artist every tune but Holiday and Soundtrack ones takes the genre;
// for an album every tune does. Unknown artists and albums are refused, as
// the capital says.
TEST_F(MenuTest, SetGenreForArtistSparesHolidayAndSoundtrackButForAlbumDoesNot) {
  start(7, genres);
  auto genresOf = [](const TuneTable& table) { return column(table, 7, &Tune::genre); };
  select(1);
  doSetGenreForArtist("Pop");
  EXPECT_EQ(genresOf(gTunes_A), "Pop;Soundtrack;Holiday;Holiday & Seasonal;Pop;Blues;Blues;");
  // The playlist, the genre group and the list's cell follow.
  EXPECT_EQ(std::tuple(genresOf(gPlaylistTunes_A), gTunes_A[1].genreGroup.str(), cell(kColGenre, 5)),
            std::tuple(genresOf(gTunes_A), "Pop", "Pop"));
  doSetGenreForAlbum("Jazz");
  select(6);  // artist "Unknown", album "Unknown"
  doSetGenreForArtist("Pop");
  doSetGenreForAlbum("Pop");
  select(7);  // artist "unknown"
  doSetGenreForArtist("Pop");
  EXPECT_EQ(genresOf(gTunes_A), "Jazz;Jazz;Jazz;Jazz;Jazz;Blues;Pop;");
  EXPECT_TRUE(logged("caution:Unknown Artist Error|Sorry, you cannot batch change the genre of unknown artists.|Okay"));
  EXPECT_TRUE(logged("caution:Unknown Album Error|Sorry, you cannot batch change the genre of unknown albums.|Okay"));
  select(0);
  doSetGenreForArtist("Pop");
  EXPECT_TRUE(logged("caution:Nothing Selected|You must select an artist to use this feature.|Okay"));
}

TEST_F(MenuTest, CheckMarkAllOnAllTunesTakesRowIAsTuneIWhateverTheOrder) {
  start(4);
  listViewSetSortColumn(kMainWindow, kListControl, kColName);
  // Rows that match no library tune on four fields: only the All Tunes rule
  // (row i is tune i) reaches the library.
  for (std::int32_t i = 1; i <= 4; ++i) gPlaylistTunes_A[i].genre.assign("Edited");
  playShownPlaylist(1);
  doMenu(kEditMenu, 11);
  for (std::int32_t i = 1; i <= 4; ++i) {
    std::int32_t box = -1;
    ASSERT_TRUE(DBDataGetBtnVal(gKWEDBrowser, kColCheck, i, box));
    EXPECT_EQ(gTunes_A[i].checked + gPlaylistTunes_A[i].checked + gNowPlaying_A[i].checked + box, 0) << i;
  }
  // A playlist shorter than the library reaches only four-field matches.
  gTotalPlaylistTunes_L = 2;
  gPlaylistTunes_A[2].genre.assign("Rock");
  doMenu(kEditMenu, 10);
  EXPECT_EQ((Rows{gTunes_A[1].checked, gTunes_A[2].checked, gTunes_A[3].checked}), (Rows{0, 1, 0}));
  gTotalPlaylistTunes_L = 0;
  doMenu(kEditMenu, 10);
  EXPECT_TRUE(logged("caution:Empty List Error|There are no tunes in the list to check-mark.|Okay"));
}

// Clear Smart-Plays leaves the playing table's counts; Flush, cancelled,
// changes nothing and, confirmed, leaves an empty library.
TEST_F(MenuTest, ClearSmartPlaysAndFlushLeaveWhatTheyShould) {
  start(3);
  saveDatabaseFiles();
  const std::string file = libraryFilePath();
  headlessToolbox().cautionAnswers = {false};
  doMenu(kFileMenu, 4);
  EXPECT_TRUE(
      logged("caution:Flush Lumaroll Library|Are you sure you want to flush your library? This process cannot "
             "be undone.|Flush Database"));
  EXPECT_EQ(std::pair(gStartTotalTunes_L, std::filesystem::file_size(file)), std::pair(3, 3 * kTuneRecordSize));
  playShownPlaylist(1);
  doMenu(kEditMenu, 13);
  std::string plays = cell(kColPlays, 2);  // library and playlist, then the playing table, of each tune
  for (std::int32_t i = 1; i <= 3; ++i)
    plays += std::to_string(gTunes_A[i].playCount + gPlaylistTunes_A[i].playCount) +
             std::to_string(+gNowPlaying_A[i].playCount);
  EXPECT_EQ(plays, " 0010203");
  doMenu(kFileMenu, 4);
  // The tune is stopped; tables, colour counts, file and list are emptied.
  EXPECT_EQ(std::tuple(stops() + gStopPlaying_S, gStartTotalTunes_L + gTotalPlaylistTunes_L + gTotalPlaying_L,
                       gTotalDarkBlueTunes_L + gTotalBlueTunes_L + gTotalGreenTunes_L, std::filesystem::file_size(file),
                       shownRows().size()),
            std::tuple(2, 0, 0, 0u, 0u));
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText), "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB");
}

// Reveal Selected Tune hands the file to the file manager; Reveal Now
// Playing shows the playing playlist again from its own table.
TEST_F(MenuTest, RevealItemsShowTheSelectedFileAndThePlayingPlaylist) {
  start(5);
  select(2);
  doMenu(kFileMenu, 6);
  select(0);
  doMenu(kFileMenu, 6);
  doMenu(kPlayerMenu, 12);
  EXPECT_TRUE(logged("reveal:/music/Tune 2.mp3") && logged("caution:No Tune Selected") &&
              logged("caution:Nothing Playing|There is no actively playing playlist.|Okay"));

  playShownPlaylist(2);
  const std::string playing = gCurrentPlayllistIDName$.str();
  gCurrentPlaylist_S = kPlaylistArtist;
  gCurrentMatchTune_L = 1;
  buildCurrentPlaylist();  // another playlist is shown
  gTotalPlaying_L = 4;     // the playing table is its own
  doMenu(kPlayerMenu, 12);
  EXPECT_EQ(std::tuple(gCurrentPlaylist_S, gCurrentSelectedTune_L, gCurrentPlayingIDName$.str(), gTotalTuneMBs_UL,
                       shownRows()),
            std::tuple(kPlaylistAllTunes, 2, gCurrentPlayllistIDName$.str(), 16u, Rows{1, 2, 3, 4}));
  EXPECT_NE(gCurrentPlayllistIDName$.view(), playing);
}

}  // namespace
