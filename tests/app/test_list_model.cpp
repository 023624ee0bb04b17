#include <gtest/gtest.h>

#include <vector>

#include "app_fixture.h"
#include "core/appstate.h"
#include "platform/headless/headless_toolbox.h"
#include "playlists/builder.h"
#include "ui/dbdata.h"
#include "ui/mainwindow.h"

namespace {

// Library tunes chosen so that each column orders them differently.
TuneRecipe mixed(std::int32_t i) {
  static const TuneRecipe recipes[] = {
      {"apple", "b", "x", "Rock", "9:58", 30000, 5, 9},
      {"Zebra", "a", "y", "Jazz", "10:02", 5000, 1, 10},
      {"Mango", "c", "z", "Pop", "3:07", 60000, 9, 2},
  };
  TuneRecipe s = recipes[(i - 1) % 3];
  s.checked = i == 2 ? 0 : 1;
  return s;
}

class ListModel : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    makeLibrary(3, mixed);
    buildCurrentPlaylist();
    buildMainWindow();
  }
  std::vector<std::int32_t> sortedBy(ListColumnKey key) {
    DBDataSetSortColumn(gKWEDBrowser, key);
    return listViewShownRows(kMainWindow, kListControl);
  }
  ListViewCallbacks& cb() { return *gKWEDBrowser->callbacks; }
};

using Rows = std::vector<std::int32_t>;

struct RecordingContext : ListDrawContext {
  struct Circle {
    double cx, cy, r, red, green, blue;
  };
  std::vector<Circle> circles;
  void fillCircle(double cx, double cy, double r, double red, double green, double blue, double) override {
    circles.push_back({cx, cy, r, red, green, blue});
  }
};

}  // namespace

TEST_F(ListModel, ColumnsSortByTheirOwnRules) {
  EXPECT_EQ(sortedBy(kColID), (Rows{1, 2, 3}));
  EXPECT_EQ(sortedBy(kColName), (Rows{3, 2, 1})) << "by character code: Mango, Zebra, apple";
  EXPECT_EQ(sortedBy(kColTime), (Rows{2, 3, 1})) << "10:02 before 3:07 before 9:58";
  EXPECT_EQ(sortedBy(kColPlays), (Rows{3, 1, 2})) << "2, 9, 10: numeric";
  EXPECT_EQ(sortedBy(kColEnergy), (Rows{2, 1, 3})) << "by HPE";
  EXPECT_EQ(sortedBy(kColCheck), (Rows{2, 1, 3})) << "unchecked first";
  EXPECT_FALSE(DBDataRowBefore(gKWEDBrowser, kColName, 1, 7)) << "a row without cells answers no";
}

TEST_F(ListModel, IdSortIsNumericBeyondNine) {
  for (std::int32_t i = 12; i >= 1; --i) DBDataSetText(gKWEDBrowser, kColID, i, numText(i));
  EXPECT_TRUE(DBDataRowBefore(gKWEDBrowser, kColID, 9, 10));
  EXPECT_FALSE(DBDataRowBefore(gKWEDBrowser, kColID, 10, 9));
  EXPECT_FALSE(DBDataRowBefore(gKWEDBrowser, kColID, 10, 10));
}

TEST_F(ListModel, InitialFillShowsEveryEntryInItsCells) {
  EXPECT_EQ(listViewShownRows(kMainWindow, kListControl), (Rows{1, 2, 3}));
  auto text = [&](ListColumnKey k, std::int32_t row) {
    std::string s;
    EXPECT_TRUE(cb().cellText(row, k, s));
    return s;
  };
  EXPECT_EQ(text(kColName, 2), "Zebra");
  EXPECT_EQ(text(kColPlays, 2), " 10");
  EXPECT_EQ(text(kColID, 3), " 3");
  EXPECT_EQ(text(kColType, 1), "MP3");
  EXPECT_EQ(text(kColType, 2), "AAC");
  std::string blank;
  EXPECT_FALSE(cb().cellText(1, kColBlank, blank));
  std::int32_t check = -1;
  ASSERT_TRUE(cb().cellCheck(2, kColCheck, check));
  EXPECT_EQ(check, 0);
  const auto* list = headlessToolbox().list(kMainWindow, kListControl);
  EXPECT_EQ(list->sortColumn, kColID);
  EXPECT_EQ(list->widths.at(kColName), static_cast<std::int32_t>(1340 * 0.2));
  EXPECT_EQ(list->widths.at(kColBlank), 20);
  // Handing the rows again refreshes them and adds none twice.
  RepopulateBrowserData(gKWEDBrowser);
  EXPECT_EQ(listViewShownRows(kMainWindow, kListControl).size(), 3u);
  // The kinds read through Vorbis comments; a kind this program never writes shows as AAC.
  const std::pair<std::uint16_t, const char*> types[] = {{5, "FLAC"}, {6, "OGG"}, {7, "OPUS"}, {2, "AAC"}};
  for (const auto& [kind, type] : types) {
    gPlaylistTunes_A[3].fileKind = kind;
    RepopulateBrowserData(gKWEDBrowser);
    EXPECT_EQ(text(kColType, 3), type);
  }
}

TEST_F(ListModel, EmptyPlaylistStillSetsKindsAndWidths) {
  gTotalPlaylistTunes_L = 0;
  buildMainWindow();
  EXPECT_TRUE(listViewShownRows(kMainWindow, kListControl).empty());
  EXPECT_EQ(DBDataGetPropertyType(gKWEDBrowser, kColCheck), ListCellKind::checkBox);
  EXPECT_EQ(DBDataGetPropertyType(gKWEDBrowser, kColEnergy), ListCellKind::custom);
  EXPECT_EQ(headlessToolbox().list(kMainWindow, kListControl)->widths.at(kColGenre), 150);
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText), "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB");
}

TEST_F(ListModel, EditsReachTheLibraryAndThePlayingTableButNotThePlaylist) {
  gTotalPlaying_L = 2;
  gNowPlaying_A[1] = gTunes_A[3];
  gNowPlaying_A[2] = gTunes_A[2];
  cb().setCellText(2, kColName, "Zebra Crossing");
  cb().setCellText(2, kColGenre, std::string(70, 'g'));
  cb().notify(2, ListNotification::editFinished);
  EXPECT_EQ(gTunes_A[2].title, "Zebra Crossing");
  EXPECT_EQ(gTunes_A[2].genre.size(), 63u);
  EXPECT_EQ(gTunes_A[2].artist, "a") << "all four fields are copied back unchanged";
  EXPECT_EQ(gNowPlaying_A[2].title, "Zebra Crossing");
  EXPECT_EQ(gNowPlaying_A[1].title, "Mango");
  EXPECT_EQ(gPlaylistTunes_A[2].title, "Zebra") << "the playlist keeps its text until it is rebuilt";
  std::string shown;
  cb().cellText(2, kColName, shown);
  EXPECT_EQ(shown, "Zebra Crossing");
}

TEST_F(ListModel, EditedTextIsStoredAsMacRomanOrWholeUtf8Characters) {
  cb().setCellText(1, kColArtist, "Beyonc\u00E9");
  cb().setCellText(1, kColAlbum, std::string(254, 'a') + "\u4E2D");  // cut inside the character
  cb().notify(1, ListNotification::editFinished);
  EXPECT_EQ(gTunes_A[1].artist, "Beyonc\x8E");
  EXPECT_EQ(gTunes_A[1].album.size(), 254u);
}

TEST_F(ListModel, ClicksSetTheRequestsOfTheEventLoop) {
  cb().setCellCheck(3, kColCheck, 0);
  EXPECT_EQ(gCheckCurrent_L, 1);
  EXPECT_EQ(gCheckedItem_L, 3);
  std::int32_t v = -1;
  DBDataGetBtnVal(gKWEDBrowser, kColCheck, 3, v);
  EXPECT_EQ(v, 0);
  cb().notify(2, ListNotification::selected);
  EXPECT_EQ(gCurrentSelectedTune_L, 2);
  cb().notify(0, ListNotification::doubleClicked);
  EXPECT_EQ(gDoubleClick_S, 0);
  EXPECT_EQ(gCurrentSelectedTune_L, 2);
}

TEST_F(ListModel, SwatchHasRingDiscAndTheNowPlayingDotOnlyForThePlayingList) {
  RecordingContext ctx;
  cb().drawCell(1, kColEnergy, ctx, 100, 40, 40, 21);
  ASSERT_EQ(ctx.circles.size(), 2u);
  EXPECT_DOUBLE_EQ(ctx.circles[0].r, 10.5);
  EXPECT_DOUBLE_EQ(ctx.circles[0].cx, 110.5);
  EXPECT_DOUBLE_EQ(ctx.circles[0].cy, 52.5);
  EXPECT_NEAR(ctx.circles[0].red, 0x5000 / 65535.0 - 0.073, 1e-12);
  EXPECT_DOUBLE_EQ(ctx.circles[1].r, 8.5);
  EXPECT_NEAR(ctx.circles[1].red, 0x5000 / 65535.0, 1e-12);

  gWeArePlaying_S = 1;
  gNowPlayingItemID_L = 1;
  gCurrentPlayingIDName$ = gCurrentPlayllistIDName$;
  ctx.circles.clear();
  cb().drawCell(1, kColEnergy, ctx, 100, 40, 40, 21);
  ASSERT_EQ(ctx.circles.size(), 3u);
  EXPECT_DOUBLE_EQ(ctx.circles[2].r, 5.25);
  EXPECT_DOUBLE_EQ(ctx.circles[2].blue, 1.0);

  gCurrentPlayingIDName$.assign("another list");
  ctx.circles.clear();
  cb().drawCell(1, kColEnergy, ctx, 100, 40, 40, 21);
  EXPECT_EQ(ctx.circles.size(), 2u);
}
