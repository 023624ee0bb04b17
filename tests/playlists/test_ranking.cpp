// Smart-More selection and sortByMatch.
#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

#include "library_fixture.h"

namespace {

// (library number, matchScore) of every entry, in playlist order.
std::vector<std::pair<std::int32_t, std::int32_t>> scored() {
  std::vector<std::pair<std::int32_t, std::int32_t>> v;
  for (std::int32_t k = 1; k <= gTotalPlaylistTunes_L; ++k) {
    const Tune& t = gPlaylistTunes_A[k];
    v.emplace_back(std::int32_t{t.tuneNumber}, std::int32_t{t.matchScore});
  }
  return v;
}

using Scores = std::vector<std::pair<std::int32_t, std::int32_t>>;

}  // namespace

class SmartMoreTest : public PlaylistTest {
 protected:
  void buildAround(std::int32_t match) {
    gCurrentMatchTune_L = match;
    build(kPlaylistSmartMore);
  }
};

TEST_F(SmartMoreTest, MatchTuneLeadsWithFullPointsAndCopiesAreWhole) {
  putTune(1);
  TuneFields unknown;
  unknown.genreGroup = "Unknown";
  putTune(2, unknown);
  TuneFields unchecked;
  unchecked.checked = 0;
  putTune(3, unchecked);
  setLibrarySize(3);

  // Tunes 1 and 2 are twins but for the group: each earns the same-record
  // bonus, only tune 1 the group bonus ("Unknown" never earns it).
  buildAround(1);
  EXPECT_EQ(scored(), (Scores{{1, 100}, {2, 90}}));
  expectWholeCopies();
  expectTotalsOfEntries();
  buildAround(2);
  EXPECT_EQ(scored(), (Scores{{1, 90}, {2, 90}}));
  // An unchecked match tune is not part of its own playlist; the others are.
  buildAround(3);
  EXPECT_EQ(scored(), (Scores{{1, 100}, {2, 90}}));
}

TEST_F(SmartMoreTest, EnergyWindowIncludesBothEndsAndNothingBeyond) {
  TuneFields s;
  s.hpe = 10000;
  putTune(1, s);
  for (std::int32_t hpe : {10000 - 3774, 10000 - 3773, 10000 + 3773, 10000 + 3774}) {
    s.hpe = hpe;
    putTune(gStartTotalTunes_L + 2, s);
    setLibrarySize(gStartTotalTunes_L + 1);
  }
  setLibrarySize(5);
  buildAround(1);
  EXPECT_EQ(scored(), (Scores{{1, 100}, {3, 100}, {4, 100}}));

  // A calm match tune: its window reaches below zero.
  s.hpe = 1000;
  putTune(1, s);
  s.hpe = -2773;
  putTune(2, s);
  s.hpe = -2774;
  putTune(3, s);
  setLibrarySize(3);
  buildAround(1);
  EXPECT_EQ(scored(), (Scores{{1, 100}, {2, 100}}));
}

TEST_F(SmartMoreTest, SpecialGenreGroupsOnlyMeetThemselves) {
  const char* groups[] = {"Heavy Metal", "Classical", "Holiday & Seasonal", "Rock", "Jazz"};
  for (std::int32_t k = 1; k <= 5; ++k) {
    TuneFields s;
    s.genreGroup = groups[k - 1];
    s.artist = "Artist " + std::to_string(k);  // same-record bonus only for the match tune
    putTune(k, s);
  }
  setLibrarySize(5);
  for (std::int32_t m = 1; m <= 3; ++m) {
    buildAround(m);
    EXPECT_EQ(scored(), (Scores{{m, 100}})) << groups[m - 1];
  }
  // Rock and Jazz meet each other (no bonus) but none of the three.
  buildAround(4);
  EXPECT_EQ(scored(), (Scores{{4, 100}, {5, 80}}));
}

TEST_F(SmartMoreTest, NothingMeasuredIsNeverTaken) {
  TuneFields blank;
  blank.bypassCount = 0;
  blank.ctCount = 0;
  putTune(1);
  putTune(2, blank);
  setLibrarySize(2);
  buildAround(1);
  EXPECT_EQ(scored(), (Scores{{1, 100}}));
  // A match tune with nothing measured has no likeness to anything, itself included.
  buildAround(2);
  EXPECT_EQ(gTotalPlaylistTunes_L, 0);
  EXPECT_EQ(gMatchResultSeconds_L, 0);
}

TEST_F(SmartMoreTest, ShapeAndCountGatesAndTheSixtyTwoPointCut) {
  TuneFields m;
  m.bypassCount = 100;
  m.ctCount = 100;
  m.meanSamplePitch = 1000;
  m.avgTunePitch = 1000;
  m.artist = "Match";
  putTune(1, m);
  // Candidates start as the match tune by another artist (no record bonus).
  auto like = [&m] {
    TuneFields c = m;
    c.artist = "Other";
    return c;
  };
  TuneFields c = like();
  c.genreGroup = "Jazz";  // no bonus at all: points = score * 100 - 20
  // s3 + s4 = 1/1000 + 199/1000: score 0.82, exactly 62 points.
  c.meanSamplePitch = 1;
  c.avgTunePitch = 199;
  putTune(2, c);
  // s3 + s4 = 0.1 + 0.0999: 61.999 points.
  c.meanSamplePitch = 100;
  c.avgTunePitch = 99;
  putTune(3, c);
  // ctCount likeness 0.75 passes, 74/100 does not (shape unchanged: bypass scales).
  c = like();
  c.bypassCount = c.ctCount = 75;
  putTune(4, c);
  c.bypassCount = c.ctCount = 74;
  putTune(5, c);
  // Shape likeness below 0.75: bypass/ct of 0.7 against the match tune's 1.
  c = like();
  c.bypassCount = 70;
  putTune(6, c);
  setLibrarySize(6);

  buildAround(1);
  // Tune 4: s2 = 0.75, score (7 + 0.75 + 1 + 1) / 10 = 0.975, plus the group
  // bonus: 87.5 points, stored truncated as 87.
  EXPECT_EQ(scored(), (Scores{{1, 100}, {2, 62}, {4, 87}}));
}

TEST_F(SmartMoreTest, AScoreOfSixtyFiveHundredthsPassesTheGateBelowItNeverDoes) {
  // Both bonuses make up for the 20 taken off, so the points of each
  // candidate are its score * 100: the score gate alone decides.
  TuneFields m;
  m.genreGroup = "Jazz";
  m.bypassCount = m.ctCount = 64;
  m.meanSamplePitch = m.avgTunePitch = 1024;
  putTune(1, m);
  TuneFields c = m;
  c.title = "Other";
  c.bypassCount = 36;       // s1 = 36/48 = 0.75
  c.ctCount = 48;           // s2 = 0.75
  c.meanSamplePitch = 256;  // s3 = 0.25
  c.avgTunePitch = 256;     // s4 = 0.25: score 0.65
  putTune(2, c);
  c.avgTunePitch = 128;  // s4 = 0.125: score 0.6375, 63.75 points
  putTune(3, c);
  setLibrarySize(3);
  buildAround(1);
  EXPECT_EQ(scored(), (Scores{{1, 100}, {2, 65}}));
}

TEST_F(SmartMoreTest, BonusesAndUnknownPenalty) {
  TuneFields m;
  m.genreGroup = "Unknown";
  m.title = "Same";
  putTune(1, m);
  TuneFields c = m;
  c.title = "Different";  // penalty 7; record bonus compared ignoring case
  c.artist = "ARTIST";
  c.album = "album";
  putTune(2, c);
  c.title = "Same";
  c.artist = "Someone";
  putTune(3, c);     // no bonus, no penalty: 80
  c.title = "same";  // titles compare exactly: penalty
  putTune(4, c);
  setLibrarySize(4);
  buildAround(1);
  EXPECT_EQ(scored(), (Scores{{1, 90}, {2, 83}, {3, 80}, {4, 73}}));
}

// The ordering bubble passes give: swap neighbours while the earlier score is smaller.
void bubbleReference(std::vector<std::pair<std::int32_t, std::int32_t>>& v) {
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (std::size_t i = 0; i + 1 < v.size(); ++i)
      if (v[i].second < v[i + 1].second) {
        std::swap(v[i], v[i + 1]);
        swapped = true;
      }
  }
}

TEST_F(PlaylistTest, SortByMatchIsTheStableOrderOfBubblePasses) {
  std::mt19937 gen(99);
  for (std::int32_t n : {0, 1, 2, 3, 17, 500}) {
    SCOPED_TRACE(n);
    // Few distinct scores, negative ones included, so ties abound.
    for (std::int32_t k = 1; k <= n; ++k) {
      Tune& t = putTune(k);
      t.matchScore = static_cast<std::int32_t>(gen() % 7) - 2;
    }
    for (std::int32_t k = 1; k <= n; ++k) std::memcpy(&gPlaylistTunes_A[k], &gTunes_A[k], sizeof(Tune));
    gTotalPlaylistTunes_L = n;
    auto want = scored();
    bubbleReference(want);
    sortByMatch();
    EXPECT_EQ(scored(), want);
    expectWholeCopies();  // records moved whole
  }
  // Rising scores are the farthest from sorted.
  for (std::int32_t k = 1; k <= 4; ++k) std::memcpy(&gPlaylistTunes_A[k], &putTune(k), sizeof(Tune));
  for (std::int32_t k = 1; k <= 4; ++k) gPlaylistTunes_A[k].matchScore = k;
  gTotalPlaylistTunes_L = 4;
  sortByMatch();
  EXPECT_EQ(entries(), (std::vector<std::int32_t>{4, 3, 2, 1}));
}
