// The main window's list: its cells, sorting, edits, clicks and swatches.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "ui/fixture.h"

namespace {

// Library tunes chosen so that each column orders them differently.
TuneRecipe mixed(std::int32_t i) {
  static const TuneRecipe recipes[] = {
      {"apple", "b", "x", "Rock", "9:58", 30000, 5, 9},
      {"Zebra", "a", "y", "Jazz", "10:02", 5000, 1, 10, 180, 0},
      {"Mango", "c", "z", "Pop", "3:07", 60000, 9, 2},
  };
  return recipes[i - 1];
}

class ListModel : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    start(3, mixed);
  }
  static ListViewCallbacks& cb() { return *gKWEDBrowser->callbacks; }
  static std::string text(ListColumnKey k, std::int32_t row) {
    std::string s;
    EXPECT_TRUE(cb().cellText(row, k, s));
    return s;
  }
};

using Rows = std::vector<std::int32_t>;

}  // namespace

TEST_F(ListModel, ColumnsSortByTheirOwnRules) {
  const std::pair<ListColumnKey, Rows> cases[] = {{kColID, {1, 2, 3}},
                                                  {kColName, {3, 2, 1}} /* character code: Mango, Zebra, apple */,
                                                  {kColTime, {2, 3, 1}} /* 10:02 before 3:07 before 9:58 */,
                                                  {kColPlays, {3, 1, 2}} /* 2, 9, 10 */,
                                                  {kColEnergy, {2, 1, 3}},
                                                  {kColCheck, {2, 1, 3}} /* unchecked first */};
  for (const auto& [key, rows] : cases) {
    DBDataSetSortColumn(gKWEDBrowser, key);
    EXPECT_EQ(listViewShownRows(kMainWindow, kListControl), rows) << key;
  }
  EXPECT_FALSE(DBDataRowBefore(gKWEDBrowser, kColName, 1, 7)) << "a row without cells answers no";
  for (std::int32_t i = 12; i >= 1; --i) DBDataSetText(gKWEDBrowser, kColID, i, numText(i));
  EXPECT_TRUE(DBDataRowBefore(gKWEDBrowser, kColID, 9, 10)) << "numeric beyond nine";
  EXPECT_FALSE(DBDataRowBefore(gKWEDBrowser, kColID, 10, 9) || DBDataRowBefore(gKWEDBrowser, kColID, 10, 10));
}

// Every entry's cells; a file kind this program never writes shows as AAC.
TEST_F(ListModel, CellsShowEveryEntryAndEditsReachTheLibraryAndThePlayingTable) {
  std::int32_t check = -1;
  ASSERT_TRUE(cb().cellCheck(2, kColCheck, check));
  EXPECT_EQ(text(kColName, 2) + "|" + text(kColPlays, 2) + "|" + text(kColID, 3) + "|" + std::to_string(check),
            "Zebra| 10| 3|0");
  std::string types;
  for (std::uint16_t kind : {0, 1, 5, 6, 7, 2}) {
    gPlaylistTunes_A[3].fileKind = kind;
    RepopulateBrowserData(gKWEDBrowser);  // refreshes the rows and adds none twice
    types += text(kColType, 3) + " ";
  }
  EXPECT_EQ(types, "AAC MP3 FLAC OGG OPUS AAC ");
  EXPECT_EQ(shownRows(), (Rows{1, 2, 3}));

  // An edit reaches the library and the playing table, stored as Mac Roman or
  // whole UTF-8 characters; the playlist keeps its text until it is rebuilt.
  gTotalPlaying_L = 2;
  gNowPlaying_A[1] = gTunes_A[3];
  gNowPlaying_A[2] = gTunes_A[2];
  cb().setCellText(2, kColName, "Zebra Crossing");
  cb().setCellText(2, kColGenre, std::string(70, 'g'));
  cb().setCellText(2, kColArtist, "Beyonc\u00E9");
  cb().setCellText(2, kColAlbum, std::string(254, 'a') + "\u4E2D");  // cut inside the character
  cb().notify(2, ListNotification::editFinished);
  // Library tune 2's name, artist, genre and album; tune 1 and the playing
  // table's names; the playlist's entry and its cell.
  EXPECT_EQ(std::tuple(gTunes_A[2].title.str(), gTunes_A[2].artist.str(), gTunes_A[2].genre.size(),
                       gTunes_A[2].album.size(), gTunes_A[1].title.str(), gNowPlaying_A[1].title.str(),
                       gNowPlaying_A[2].title.str(), gPlaylistTunes_A[2].title.str(), text(kColName, 2)),
            std::tuple("Zebra Crossing", "Beyonc\x8E", 63u, 254u, "apple", "Mango", "Zebra Crossing", "Zebra",
                       "Zebra Crossing"));
}
