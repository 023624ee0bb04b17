#include <gtest/gtest.h>

#include "menus_fixture.h"
#include "ui/name_sheet.h"

namespace {

auto& tb() { return headlessToolbox(); }

TEST_F(MenuTest, ProposedNamesFollowThePlaylistKind) {
  start(3, numbered);
  gCurrentMatchTune_L = 2;
  const std::pair<std::int16_t, const char*> cases[] = {
      {3, "All Tunes"},          {4, "Last Added Tunes"}, {5, "Smart-Plays"},  {6, "Tunes Like: Tune 2"},
      {7, "Artist: Even"},       {9, "Genre: Rock"},      {10, "Album: Album 2"}, {11, "Midnight Blue Tunes"},
      {19, "Purple Tunes"}};
  for (auto [kind, name] : cases) {
    gCurrentPlaylist_S = kind;
    EXPECT_EQ(proposedPlaylistName(), name) << kind;
  }
  gCurrentPlaylist_S = 8;
  gSearchString$.assign("TUNE");
  EXPECT_EQ(proposedPlaylistName(), "Search Results: TUNE");
}

TEST_F(MenuTest, SendWithAnEmptyNameKeepsTheSheet) {
  start(3, numbered);
  buildNamePlaylistDialog();
  EXPECT_EQ(tb().window(kSheetWindow)->focus, kSheetNameField);
  setControlText(kSheetWindow, kSheetNameField, "");
  namePlaylistSendClicked();
  EXPECT_EQ(beeps(), 1);
  EXPECT_TRUE(tb().logged("caution:No Playlist Name|Please enter a name for this playlist.|Okay"));
  EXPECT_TRUE(windowExists(kSheetWindow));
  EXPECT_FALSE(tb().logged("menuenabled:1/0=1"));
  namePlaylistCancelClicked();
  EXPECT_FALSE(windowExists(kSheetWindow));
  for (int menu : {1, 3, 4}) EXPECT_TRUE(tb().logged("menuenabled:" + std::to_string(menu) + "/0=1"));
}

}  // namespace
