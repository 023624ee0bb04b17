#include "library_fixture.h"

using Tables = LibraryTest;

// A claimed record goes back only while it is not committed; a full table
// claims nothing. A tune of a run in progress is not saved; a library of
// none is no file, and loads empty.
TEST_F(Tables, ClaimGiveBackCommitRemoveAndSave) {
  addTune("one");
  EXPECT_EQ(claimTuneRecord(), 2);
  EXPECT_EQ(std::pair(gTotalTunes_L, gStartTotalTunes_L), std::pair(2, 1));
  giveBackTuneRecord();
  giveBackTuneRecord();
  EXPECT_EQ(gTotalTunes_L, 1);
  gTotalTunes_L = gStartTotalTunes_L = kMaxTunes;
  EXPECT_EQ(claimTuneRecord(), 0);
  EXPECT_EQ(gTotalTunes_L, kMaxTunes);

  // A removal closes the gap in order; a record outside the committed ones,
  // or a tune of a run in progress, is not removed.
  gTotalTunes_L = gStartTotalTunes_L = 0;
  for (const char* t : {"a", "b", "c", "d"}) addTune(t);
  ASSERT_TRUE(removeTune(2));
  EXPECT_EQ(gTunes_A[1].title.str() + gTunes_A[2].title.str() + gTunes_A[3].title.str(), "acd");
  EXPECT_EQ(std::pair(gTotalTunes_L, gStartTotalTunes_L), std::pair(3, 3));
  ASSERT_TRUE(removeTune(3));
  EXPECT_EQ(gTunes_A[2].title.str(), "c");
  EXPECT_FALSE(removeTune(0));
  claimTuneRecord();
  EXPECT_FALSE(removeTune(3));
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_EQ(readFileBytes(dbPath).size(), 2u * kTuneRecordSize);
  gTotalTunes_L = gStartTotalTunes_L = 0;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_FALSE(fileExists(dbPath));
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(readFileBytes(dbPath), "");
  EXPECT_EQ(gTotalTunes_L, 0);
}

TEST_F(Tables, RecountCountsCommittedTunesOnly) {
  // Category c held by c tunes; one outside 1..9 and one not yet committed
  // are counted nowhere.
  for (std::int32_t c = 1; c <= 9; ++c)
    for (std::int32_t i = 0; i < c; ++i) addTune("t", c);
  addTune("odd", 12);
  gTunes_A[claimTuneRecord()].colourCategory = 1;
  recountColours();
  EXPECT_EQ(
      (std::vector{gTotalDarkBlueTunes_L, gTotalBlueTunes_L, gTotalGreenTunes_L, gTotalSoringGreenTunes_L,
                   gTotalYellowTunes_L, gTotalOrangeTunes_L, gTotalRedTunes_L, gTotalPinkTunes_L, gTotalPurpleTunes_L}),
      (std::vector{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(Tables, IndexOutsideTheTableEndsTheProgram) {
  EXPECT_DEATH({ (void)gTunes_A[30001]; }, "outside the table");
  EXPECT_DEATH({ (void)gTunes_A[-1]; }, "outside the table");
  EXPECT_DEATH({ (void)gTunes_A.records(29990, 20); }, "outside the table");
}
