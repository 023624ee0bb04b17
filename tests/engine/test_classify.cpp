// Classification of one tune from prepared analysis figures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tuple>

#include "core/paths.h"
#include "engine/analysis.h"
#include "engine/classify.h"
#include "engine/genres.h"
#include "library/tune.h"
#include "support/temp_dir.h"

namespace {

class Classify : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { initMP3Categories(); }

  void SetUp() override {
    setLibraryFilePath(dir.file("LumarollDatabase"));
    gMostCommonFundFreq_SA.fill(0);
    gNextPermIDNumber_UL = 41;
    gStartTotalTunes_L = 0;
    start(1);
  }

  // A fresh Rock record at `index`, the library's last, whose analysis found
  // `strong` strong bins.
  void start(std::int32_t index, std::int32_t strong = 1000) {
    gTotalTunes_L = index;
    gTunes_A[index] = Tune{};
    resetAnalysisState(st);
    st.gCTCounter_L = strong;
    st.gBypassCntOne_L = 500;
    st.gTotalPitches_UL = 90000;
    for (std::int32_t n = 1; n <= 28; ++n) setSamplePitch(tune(), n, 100);
    tune().genre.assign("Rock");
  }
  Tune& tune() { return gTunes_A[gTotalTunes_L]; }

  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  AnalysisState& st = *state;
  TempDir dir;
};

}  // namespace

TEST(ColourCategories, BandsMeetAtTheirThresholds) {
  const std::int32_t edges[][2] = {{-5, 1},    {5999, 1},  {6000, 2},  {10999, 2}, {11000, 3}, {15999, 3},
                                   {16000, 4}, {20999, 4}, {21000, 5}, {34999, 5}, {35000, 6}, {40999, 6},
                                   {41000, 7}, {46999, 7}, {47000, 8}, {52999, 8}, {53000, 9}, {900000, 9}};
  for (const auto& [hpe, category] : edges) EXPECT_EQ(colourCategoryOfHPE(hpe), category) << hpe;
}

TEST_F(Classify, EnergyFromTheStrongBinsOnBothSidesOfSeventyThree) {
  // x = strong / 140; up to 73 it scales to 35000, above it
  // (x / 237) * 30565 + 25457. Strong bins, hpe, category, energy level and index:
  const std::int32_t cases[][5] = {
      {10219, 34996, 5, 730, 73}, {20000, 43880, 7, 1429, 143}, {10220, 35000, 6, 730, 73}};
  for (const auto& [strong, hpe, category, level, index] : cases) {
    start(1, strong);
    ASSERT_EQ(classifyTune(st, "song.mp3"), noErr);
    EXPECT_EQ(std::tuple(+tune().hpe, +tune().colourCategory, +tune().energyLevel, +tune().energyIndex),
              std::tuple(hpe, category, level, index))
        << strong;
  }
  // The last one, orange.
  EXPECT_EQ(std::tuple(+tune().colourRed, +tune().colourGreen, +tune().colourBlue), std::tuple(0xFF00, 0x6B00, 0));
}

TEST_F(Classify, DataRatesFifteenToThirtyFourAreBoosted) {
  for (const auto& [rate, boosted] : {std::pair{14, false}, {15, true}, {34, true}, {35, false}}) {
    start(1, 1000);
    tune().dataRate = static_cast<std::int16_t>(rate);
    ASSERT_EQ(classifyTune(st, "x.mp3"), noErr);
    const Tune& t = tune();
    // 508 / 1017 * 1000 = 499; the pitches per count by the count before the boost.
    EXPECT_EQ(
        std::tuple(+t.ctCountRaw, +t.bypassCountRaw, +t.ctCount, +t.bypassCount, +t.bypassRatio, +t.pitchesPerCount),
        boosted ? std::tuple(1000, 500, 1017, 508, 499, 90) : std::tuple(1000, 500, 1000, 500, 500, 90))
        << rate;
  }
}

TEST_F(Classify, MeasuresFromTheTwentyEightFrames) {
  // Pitches 30, then 27 down to 1 (sorted before averaging); amplitudes 10
  // each but one of 14.
  for (std::int32_t n = 1; n <= 28; ++n) {
    setSamplePitch(tune(), n, n == 1 ? 30 : 29 - n);
    setSampleAmplitude(tune(), n, n == 5 ? 14 : 10);
  }
  st.gAverageTunePitch_D = 4.0;
  st.gAverageUniquePitch_D = 2.5;
  st.gTotalUniqueFundPitches_L = 9;
  tune().durationSeconds = 187;
  ASSERT_EQ(classifyTune(st, "Song.mp3"), noErr);
  const Tune& t = tune();
  // Mean 408 / 28 = 14.57, truncated; fundamental (408 - 6) / 24 = 16.75;
  // amplitude 284 / 28 = 10.14; unique pitch 2.5 ties to even; pitch index
  // ((16.75 * 0.97 + 2.5 * 0.02) + (4 + 0.01)) / 3.7 = 5.4885, just below a
  // half; every pitch once: the lowest is the common one.
  EXPECT_EQ(std::tuple(+t.meanSamplePitch, +t.avgFundamentalPitch, +t.avgAmplitude, +t.avgTunePitch, +t.avgUniquePitch,
                       +t.pitchIndex, +t.commonPitch),
            std::tuple(14, 17, 10, 4, 2, 5, 1));
  EXPECT_EQ(std::tuple(+t.uniquePitchCount, +t.totalPitchCount, +t.tuneNumber, +t.justAdded, +t.checked, +t.permID,
                       t.durationText.str(), t.fileName.str()),
            std::tuple(9, 90000, 1, 1, 1, 42u, "3:07", "Song.mp3"));

  // The histogram remembers every tune: 40 twice now beats the others.
  start(2);
  for (std::int32_t n = 1; n <= 28; ++n) setSamplePitch(tune(), n, n == 3 ? 40 : 7001 + n);
  ASSERT_EQ(classifyTune(st, "b.mp3"), noErr);
  // 27 pitches above 7000 share the last counter; sorted entries 4..28:
  // 7005..7029, over 24.
  EXPECT_EQ(std::pair(+tune().commonPitch, +tune().avgFundamentalPitch), std::pair(7000, 7309));
}

TEST_F(Classify, NoStrongBinAtAllStopsAfterTheSamplePitches) {
  st.gTotalPitches_UL = 0;
  for (std::int32_t n = 1; n <= 28; ++n) setSamplePitch(tune(), n, 50);
  EXPECT_EQ(classifyTune(st, "quiet.mp3"), 900);
  EXPECT_EQ(std::tuple(+tune().meanSamplePitch, +tune().permID, +tune().colourCategory, gNextPermIDNumber_UL),
            std::tuple(50, 0u, 0, 41u));
}

TEST_F(Classify, GenreTextsResolveAgainstTheTable) {
  const std::tuple<const char*, std::string, int, std::string> cases[] = {
      {"(17)", "Rock", 17, ""},
      {"(17)Rock", "Rock", 17, ""},
      {"(999)", "Unknown", 0xFFFE, ""},
      {"", "Unknown", 0xFFFE, ""},
      {"bLUEGRASS", "bLUEGRASS", 89, ""},
      {"rOCK", "rOCK", 523, ""},  // the ID3 entry (17) and the group entry: the last one wins
      {"Chiptune Polka", "Chiptune Polka", 255, "Chiptune Polka"},
  };
  for (const auto& [tag, genre, code, group] : cases) {
    start(1);
    tune().genre.assign(tag);
    ASSERT_EQ(classifyTune(st, "g.mp3"), noErr);
    EXPECT_EQ(std::tuple(tune().genre.str(), +tune().genreCode, tune().genreGroup.str()),
              std::tuple(genre, code, group))
        << tag;
  }
}

TEST_F(Classify, EveryTwoHundredthTuneRunsTheHolidayPassAndSaves) {
  const std::string file = dir.file("LumarollDatabase");
  for (std::int32_t i = 1; i < 200; ++i) start(i);
  gStartTotalTunes_L = 190;
  gTunes_A[195].album.assign("Best of xMaS 1999");
  gTunes_A[196].genre.assign("Unknown");
  gTunes_A[197].album.assign("Songs of Santa Claus");
  gTunes_A[194].album.assign("Santa Fe");        // Santa alone is no holiday
  gTunes_A[189].album.assign("Christmas Past");  // committed before the pass started
  gTunes_A[190].album.assign("XMAS");            // the last committed tune: the pass starts there

  ASSERT_EQ(classifyTune(st, "a.mp3"), noErr);  // the 199th
  EXPECT_EQ(std::pair(std::filesystem::exists(file), gStartTotalTunes_L), std::pair(false, 190));

  // The 200th tune counts ten times the strong bins a keeper may have: it
  // will be dropped, but the checkpoint has already saved it.
  start(200, 600000);
  tune().album.assign("December Nights");
  ASSERT_EQ(classifyTune(st, "b.mp3"), noErr);
  ASSERT_EQ(std::pair(std::filesystem::exists(file), gStartTotalTunes_L), std::pair(true, 200));
  EXPECT_EQ(std::filesystem::file_size(file), 200u * sizeof(Tune));

  auto genre = [](std::int32_t i) {
    return std::tuple(gTunes_A[i].genre.str(), +gTunes_A[i].genreCode, gTunes_A[i].genreGroup.str());
  };
  const auto holiday = std::tuple("Holiday & Seasonal", 177, "Holiday & Seasonal");
  for (std::int32_t i : {190, 195, 197, 200}) EXPECT_EQ(genre(i), holiday) << i;
  EXPECT_EQ(genre(196), std::tuple("Unknown", 0xFFFE, "Unknown"));
  EXPECT_EQ(genre(194), std::tuple("Rock", 0, "Rock"));
  EXPECT_EQ(genre(189), std::tuple("Rock", 0, ""));
}
