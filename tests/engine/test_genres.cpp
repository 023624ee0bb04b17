#include <gtest/gtest.h>

#include <set>

#include "core/macroman.h"
#include "engine/genres.h"

namespace {

class Genres : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { initMP3Categories(); }
};

// Positions of the entries with this name, case-insensitively, in table order.
std::vector<int> positionsOf(const std::string& name) {
  std::vector<int> at;
  for (int i = 1; i <= gTotalGenres_L; ++i)
    if (upperCaseMacRoman(gGenre_A[i].genreName) == upperCaseMacRoman(name)) at.push_back(i);
  return at;
}

}  // namespace

TEST_F(Genres, TableSizeAndTheNamelessEntriesFirst) {
  ASSERT_EQ(gTotalGenres_L, 276);
  EXPECT_EQ(gGenre_A[1].genreName, "");
  EXPECT_EQ(gGenre_A[1].number, 40);
  EXPECT_EQ(gGenre_A[1].groupName, "Misc.");
  for (int i = 1; i <= 21; ++i) {
    EXPECT_EQ(gGenre_A[i].genreName, "") << i;
    EXPECT_EQ(gGenre_A[i].number, 39 + i) << i;  // nameless ones keep building order 40..60
  }
  EXPECT_NE(gGenre_A[22].genreName, "");
}

TEST_F(Genres, SortedBytewiseAndStable) {
  for (int i = 2; i <= gTotalGenres_L; ++i) {
    const auto& a = gGenre_A[i - 1].genreName;
    const auto& b = gGenre_A[i].genreName;
    EXPECT_LE(std::string_view(a).compare(b), 0) << a << " / " << b;
  }
  const auto rock = positionsOf("Rock");
  ASSERT_EQ(rock.size(), 2u);
  EXPECT_EQ(gGenre_A[rock[0]].number, 17);
  EXPECT_EQ(gGenre_A[rock[1]].number, 523);
  // Upper-case names sort before lower-case ones: "R&B" entries before "Rap".
  EXPECT_LT(positionsOf("R&B").front(), positionsOf("Rap").front());
  const auto techno = positionsOf("Techno");
  ASSERT_EQ(techno.size(), 2u);
  EXPECT_EQ(gGenre_A[techno[0]].number, 18);
  EXPECT_EQ(gGenre_A[techno[1]].number, 315);
}

TEST_F(Genres, NumbersAndGroups) {
  std::multiset<int> numbers;
  for (int i = 1; i <= gTotalGenres_L; ++i) numbers.insert(gGenre_A[i].number);
  for (int n = 0; n <= 147; ++n) EXPECT_EQ(numbers.count(n), 1u) << n;
  for (int n = 276; n <= 374; ++n) EXPECT_EQ(numbers.count(n), 1u) << n;
  for (int n = 500; n <= 526; ++n) EXPECT_EQ(numbers.count(n), 1u) << n;
  EXPECT_EQ(numbers.count(-7), 1u);
  EXPECT_EQ(numbers.count(-2), 1u);
  auto byNumber = [](int n) -> const GenreEntry& {
    for (int i = 1; i <= gTotalGenres_L; ++i)
      if (gGenre_A[i].number == n) return gGenre_A[i];
    return gGenre_A[0];
  };
  EXPECT_EQ(byNumber(0).genreName, "Blues");
  EXPECT_EQ(byNumber(1).groupName, "Classic Rock");
  EXPECT_EQ(byNumber(276).genreName, "Goth");
  EXPECT_EQ(byNumber(276).groupName, "Alternative Rock");
  EXPECT_EQ(byNumber(374).genreName, "Singer-Songwriter");
  EXPECT_EQ(byNumber(315).groupName, "Electronic & Techno");
  EXPECT_EQ(byNumber(505).genreName, "Classic Rock");
  EXPECT_EQ(byNumber(505).groupName, "Rock");
  EXPECT_EQ(byNumber(510).genreName, "Hard Rock & Metal");
  EXPECT_EQ(byNumber(-7).groupName, "All Genres");
  EXPECT_EQ(byNumber(-2).groupName, "Unknown");
  for (int i = 1; i <= gTotalGenres_L; ++i) EXPECT_FALSE(gGenre_A[i].groupName.empty()) << i;
}

TEST_F(Genres, RebuildingGivesTheSameTable) {
  std::vector<std::pair<std::string, int>> first;
  for (int i = 1; i <= gTotalGenres_L; ++i) first.emplace_back(gGenre_A[i].genreName, gGenre_A[i].number);
  initMP3Categories();
  ASSERT_EQ(gTotalGenres_L, 276);
  for (int i = 1; i <= gTotalGenres_L; ++i) EXPECT_EQ(first[i - 1].second, gGenre_A[i].number);
}

TEST(NormaliseGenre, CodesAreIdNumbersPlusOne) {
  EXPECT_EQ(normaliseGenre(1), "Blues");
  EXPECT_EQ(normaliseGenre(2), "Unknown");  // Classic Rock + 1 is not mapped
  EXPECT_EQ(normaliseGenre(18), "Rock");
  EXPECT_EQ(normaliseGenre(99), "Easy Listening");
  EXPECT_EQ(normaliseGenre(0), "Unknown");
  EXPECT_EQ(normaliseGenre(-1), "Unknown");
  EXPECT_EQ(normaliseGenre(32767), "Unknown");
}
