// The M4A tag reader on metadata atoms built byte by byte.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "engine/m4atags.h"
#include "engine/tag_test.h"

namespace {

std::string atom(const std::string& name, const std::string& payload) {
  return be32(static_cast<std::uint32_t>(8 + payload.size())) + name + payload;
}
// The text atoms' names: (C) and three letters ("\x61lb" is "alb", "\x41RT" is "ART").
const std::string kNam = "\xA9nam", kAlb = "\xA9\x61lb", kArt = "\xA9\x41RT", kGen = "\xA9gen";

// An item of the metadata list: the item atom around a data atom with its
// type and locale words.
std::string item(const std::string& name, const std::string& value, std::uint32_t type = 1) {
  return atom(name, atom("data", be32(type) + be32(0) + value));
}
std::string textItems(const std::string& title = "So What") {
  return item(kNam, title) + item(kAlb, "Kind of Blue") + item(kArt, "Miles Davis");
}
std::string movie(const std::string& items) {
  return atom("ftyp", "M4A \0\0\0\0M4A mp42isom") +
         atom("moov", atom("udta", atom("meta", std::string(4, '\0') + atom("ilst", items))));
}

using M4ATags = TagReading<readM4ATags, kSmallestM4A>;

}  // namespace

TEST_F(M4ATags, ReadsTheTextAtomsOfTheFirstQuarterOnly) {
  const std::string path = file(movie(textItems()));
  ASSERT_EQ(read(path), noErr);
  EXPECT_EQ(texts(), (TagTexts{"So What", "Miles Davis", "Kind of Blue", "Unknown"}));
  // The bytes loaded, not the file's length.
  EXPECT_EQ(std::tuple(gTotalTunes_L, +tune().fileLength, +tune().fileKind), std::tuple(1, 25000u, 4));
  EXPECT_EQ(read(path), 1);  // a duplicate
  EXPECT_EQ(gTotalTunes_L, 1);

  // Metadata past the first quarter is not seen.
  const std::string late = std::string(30000, '\0') + movie(textItems());
  gTotalTunes_L = 0;  // the same texts again would be a duplicate
  EXPECT_EQ(read(file(late, 120000)), 1);
  EXPECT_EQ(read(file(late, 200000)), noErr);

  // No album, title or artist; a hidden file; a file too small.
  gTotalTunes_L = 0;
  for (const std::string& items :
       {item(kNam, "a") + item(kArt, "b"), item(kAlb, "a") + item(kArt, "b"), item(kNam, "a") + item(kAlb, "b")})
    EXPECT_EQ(read(file(movie(items))), 1);
  EXPECT_EQ(read(file(movie(textItems()), kSmallestM4A, ".tune.m4a")), 1);
  EXPECT_EQ(read(file(movie(textItems()), kSmallestM4A - 1)), 1);
  EXPECT_EQ(gTotalTunes_L, 0);
}

TEST_F(M4ATags, GenreFromItsCodeOrItsTextAndTitlesWithinLimits) {
  const std::string code18 = std::string("\0\x12", 2), t254(254, 't');
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      // title, items after the three texts, stored title and genre
      {"a", item("gnre", code18, 0), "a", "Rock"},
      {"a", item("gnre", std::string("\0\x02", 2), 0), "a", "Unknown"},
      {"a", item(kGen, "Synthwave"), "a", "Synthwave"},
      {"a", item(kGen, "Synthwave") + item("gnre", code18, 0), "a", "Rock"},  // the code wins
      {"a", item(kGen, "Ni\xC3\xB1o"), "a", "Ni\xC3\xB1o"},                   // the genre text is not folded
      {"a", atom(kGen, std::string("\0\0\0\0\0\0\0\x12", 8)), "a", "Rock"},   // no data atom: the byte is a code
      {"a", item(kGen, std::string(70, 'g')), "a", std::string(63, 'g')},
      {t254, "", t254, "Unknown"},
      {std::string(255, 't'), "", "Unknown", "Unknown"},
      {"", "", "Unknown", "Unknown"},
      {"Ni\xC3\xB1o", "", "Ni\x96o", "Unknown"},
  };
  for (const auto& [title, items, storedTitle, genre] : cases) {
    gTotalTunes_L = 0;
    ASSERT_EQ(read(file(movie(textItems(title) + items))), noErr);
    EXPECT_EQ(std::pair(tune().title.str(), tune().genre.str()), std::pair(storedTitle, genre));
  }
}

TEST_F(M4ATags, AtomsAtTheEndOfTheBlockStopThere) {
  // 100,004 bytes load 25,001: the title's text runs to the block's end and
  // the album's name is its last four bytes.
  std::string bytes = movie(item(kArt, "x"));
  bytes.resize(25001 - 4 - 20 - 5, '\0');
  bytes += kNam + std::string(16, '\0') + "Title" + kAlb;
  ASSERT_EQ(read(file(bytes + "TAIL", 100004)), noErr);
  EXPECT_EQ(texts(), (TagTexts{"Title" + kAlb, "x", "Unknown", "Unknown"}));
}

// The quarter is searched in chunks: atoms across a seam are found as in one
// block, the first occurrence wins, and a huge file costs no more memory
// than a small one (a child's peak resident size, on a sparse 1 GiB file
// whose quarter the reader once held whole).
TEST_F(M4ATags, TheQuarterIsSearchedInBoundedChunks) {
  std::string bytes(kM4AChunkBytes - 2, '\0');  // "\xA9nam" straddles the first seam
  bytes += textItems("Across") + item("gnre", std::string("\0\x12", 2)) + textItems("Later");
  ASSERT_EQ(read(file(bytes, 4 * bytes.size() + 64)), noErr);
  EXPECT_EQ(texts(), (TagTexts{"Across", "Miles Davis", "Kind of Blue", "Rock"}));

  const std::string big = dir.file("big.m4a");
  writeFileBytes(big, "");
  ASSERT_EQ(::truncate(big.c_str(), std::int64_t{1} << 30), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const OSErr r = read(big);
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    _exit(r == 1 && use.ru_maxrss < 64 * 1024 ? 0 : 3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
