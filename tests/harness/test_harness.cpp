#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "core/paths.h"
#include "harness/harness.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> gPrinted;
void printed(std::string_view line) { gPrinted.emplace_back(line); }

class Harness : public ::testing::Test {
 protected:
  void SetUp() override {
    headlessToolbox().reset();
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    gPrinted.clear();
    gTotalTunes_L = gStartTotalTunes_L = 0;
  }
  void add(const char* title, const char* artist, const char* album, std::int32_t ctCount) {
    Tune& t = gTunes_A[claimTuneRecord()] = Tune{};
    t.title.assign(title);
    t.artist.assign(artist);
    t.album.assign(album);
    t.ctCount = ctCount;
    commitTunes();
  }
  TempDir dir;
};

}  // namespace

TEST_F(Harness, ConsistencyScoresEveryOrderedPairOfTheSameSong) {
  add("Blue Sky", "The Band", "A", 1000);
  measureHPEError(printed);  // one tune: no pair, no score
  EXPECT_EQ(std::pair(gHarnessPairs_L, gHarnessScore_D), std::pair(0, -1.0));
  gPrinted.clear();
  // One song in three encodings, matched through stripIt of title and
  // artist; generic titles are never matched; two tunes that both measured
  // nothing agree fully.
  add("blue sky!", "THE BAND", "B", 800);
  add("Blue, Sky", "The Band", "C", 500);
  add("Other Song", "The Band", "A", 900);
  for (const char* title : {"Track 01", "Silent", "Unknown", "Prologue", "End Titles"}) {
    add(title, "Z", "A", title[0] == 'S' ? 0 : 100);
    add(title, "Z", "B", title[0] == 'S' ? 0 : 50);
  }
  measureHPEError(printed);
  // Pairs (1,2) .8, (1,3) .5, (2,1) .8, (2,3) .625, (3,1) .5, (3,2) .625,
  // (7,8) 1, (8,7) 1.
  // (.8 + .5 + .8 + .625 + .5 + .625 + 1 + 1) / 8 = .73125
  EXPECT_EQ(std::tuple(gHarnessPairs_L, std::count(gPrinted.begin(), gPrinted.end(), "okay..."), gPrinted[1],
                       gPrinted[gPrinted.size() - 4], gPrinted.back()),
            std::tuple(8, 8, "Blue Sky  The Band  A ( 0 )", std::string(48, '-'), "Total HPE (E!) Error: 0.731250"));
}

TEST_F(Harness, MovieAveragesAndTheirReport) {
  add("a", "Composer X", "Epic Film", 900);
  add("b", "Composer Y", "Quiet Film", 100);
  add("c", "Composer X", "Epic Film", 1001);
  add("d", "Composer Z", "Caf\x8E Movie", 400);
  countMovies(printed);
  EXPECT_EQ(std::pair(gTotalMovies_L, gPrinted.back()), std::pair(3, std::string("Total Movies: 3")));
  measureMovieEnergyAverage(printed);
  ASSERT_EQ(gMovies_A.size(), 4u);
  EXPECT_EQ(gMovies_A[3].tracks, 2);  // Epic Film, last by energy: (900 + 1001) / 2, truncated
  const std::string report = readFileBytes(dir.file("Orvane-KeelwaveEngine/TestData.txt"));
  const std::string h(71, '-');
  const std::regex expected(h + "\n\\d\\d/\\d\\d/\\d\\d\t\\d\\d:\\d\\d:\\d\\d\n" +
                            "Movie and Theatrical Soundtrack Human Perceived Energy \\(HPE\\) Evaluation\n\n" + h +
                            "\nTotal Movies:  3 Total Music Tracks:  4\n" + h + "\n\n\n" +
                            "Quiet Film  -  Composer Y  -  100\n"
                            "Caf\xC3\xA9 Movie  -  Composer Z  -  400\n"
                            "Epic Film  -  Composer X  -  950\n");
  EXPECT_TRUE(std::regex_match(report, expected)) << report;
}

TEST_F(Harness, TitleWordsAndTheirEnergies) {
  EXPECT_EQ(titleWords("Love-Song/for you (Live Version)"), (std::vector<std::string>{"LOVE", "SONG", "FOR", "YOU"}));
  EXPECT_EQ(titleWords("[Intro]  Hello_World!"), (std::vector<std::string>{"INTRO", "HELLOWORLD"}));
  EXPECT_EQ(titleWords("Rock 2"), (std::vector<std::string>{"ROCK"}));
  EXPECT_EQ(titleWords("(all brackets)"), std::vector<std::string>{});
  add("Night Fever", "a", "x", 100);
  add("Fever Dream", "b", "x", 300);
  add("Night Night", "c", "x", 50);
  measureWordEnergy(printed);
  EXPECT_EQ(std::pair(gTotalWords_L, gTotalUniqueWords_L), std::pair(6, 3));
  printWordHPE();
  EXPECT_EQ(readFileBytes(dir.file("Orvane-KeelwaveEngine/TestDataWordHPE.txt")),
            "NIGHT\t 3\t 66\nFEVER\t 2\t 200\nDREAM\t 1\t 300\n");
  EXPECT_EQ(headlessToolbox().beeps, 2);
}
