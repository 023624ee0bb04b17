#include "library_fixture.h"

using Tables = LibraryTest;

// A claimed record goes back only while it is not committed; a full table
// claims nothing.
TEST_F(Tables, ClaimGiveBackAndCommit) {
  addTune("one");
  EXPECT_EQ(claimTuneRecord(), 2);
  EXPECT_EQ(gTotalTunes_L, 2);
  EXPECT_EQ(gStartTotalTunes_L, 1);
  giveBackTuneRecord();
  giveBackTuneRecord();
  EXPECT_EQ(gTotalTunes_L, 1);
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
  claimTuneRecord();  // a tune of a run in progress is not removed
  EXPECT_FALSE(removeTune(3));
}

TEST_F(Tables, RecountCountsCommittedTunesOnly) {
  // Category c held by c tunes; one outside 1..9 and one not yet committed
  // are counted nowhere.
  for (std::int32_t c = 1; c <= 9; ++c)
    for (std::int32_t i = 0; i < c; ++i) addTune("t", c);
  addTune("odd", 12);
  gTunes_A[claimTuneRecord()].colourCategory = 1;
  recountColours();
  const std::int32_t* counters[] = {&gTotalDarkBlueTunes_L,    &gTotalBlueTunes_L,   &gTotalGreenTunes_L,
                                    &gTotalSoringGreenTunes_L, &gTotalYellowTunes_L, &gTotalOrangeTunes_L,
                                    &gTotalRedTunes_L,         &gTotalPinkTunes_L,   &gTotalPurpleTunes_L};
  for (std::int32_t c = 1; c <= 9; ++c) EXPECT_EQ(*counters[c - 1], c) << c;
}

TEST_F(Tables, IndexOutsideTheTableEndsTheProgram) {
  EXPECT_DEATH({ (void)gTunes_A[30001]; }, "outside the table");
  EXPECT_DEATH({ (void)gTunes_A[-1]; }, "outside the table");
  EXPECT_DEATH({ (void)gTunes_A.records(29990, 20); }, "outside the table");
}
