#include "library_fixture.h"

using Tables = LibraryTest;

TEST_F(Tables, ClaimGiveBackAndCommit) {
  addTune("one");
  EXPECT_EQ(claimTuneRecord(), 2);
  EXPECT_EQ(gTotalTunes_L, 2);
  EXPECT_EQ(gStartTotalTunes_L, 1);
  giveBackTuneRecord();
  EXPECT_EQ(gTotalTunes_L, 1);
  giveBackTuneRecord();  // never below the committed tunes
  EXPECT_EQ(gTotalTunes_L, 1);
}

TEST_F(Tables, AFullLibraryClaimsNothing) {
  gTotalTunes_L = gStartTotalTunes_L = kMaxTunes;
  EXPECT_EQ(claimTuneRecord(), 0);
  EXPECT_EQ(gTotalTunes_L, kMaxTunes);
}

TEST_F(Tables, RemoveKeepsTheOrderOfTheRest) {
  for (const char* t : {"a", "b", "c", "d"}) addTune(t);
  ASSERT_TRUE(removeTune(2));
  EXPECT_EQ(gTotalTunes_L, 3);
  EXPECT_EQ(gStartTotalTunes_L, 3);
  EXPECT_EQ(gTunes_A[1].title.view(), "a");
  EXPECT_EQ(gTunes_A[2].title.view(), "c");
  EXPECT_EQ(gTunes_A[3].title.view(), "d");
  ASSERT_TRUE(removeTune(3));
  EXPECT_EQ(gTunes_A[2].title.view(), "c");
  EXPECT_FALSE(removeTune(0));
  EXPECT_FALSE(removeTune(3));
}

TEST_F(Tables, RecountCountsCommittedTunesOnly) {
  addTune("a", 1);
  addTune("b", 9);
  addTune("c", 9);
  addTune("d", 12);  // outside 1..9: counted nowhere
  claimTuneRecord();  // claimed, not committed
  gTunes_A[5].colourCategory = 1;
  recountColours();
  EXPECT_EQ(gTotalDarkBlueTunes_L, 1);
  EXPECT_EQ(gTotalPurpleTunes_L, 2);
  EXPECT_EQ(gTotalGreenTunes_L, 0);
}

TEST_F(Tables, IndexOutsideTheTableEndsTheProgram) {
  EXPECT_DEATH({ (void)gTunes_A[30001]; }, "outside the table");
  EXPECT_DEATH({ (void)gTunes_A[-1]; }, "outside the table");
  EXPECT_DEATH({ (void)gTunes_A.records(29990, 20); }, "outside the table");
}
