#include <gtest/gtest.h>

#include "engine/text.h"

TEST(ConvertToProperPascalString, FoldsEveryPairInItsOrder) {
  // Each UTF-8 pair, between plain letters, becomes its one Mac Roman byte.
  const char* const pairs[25][2] = {
      {"\xC3\xB1", "\x96"}, {"\xC3\xAA", "\x90"}, {"\xC3\xA7", "\x8D"}, {"\xC3\xA3", "\x8B"}, {"\xC2\xB4", "'"},
      {"\xC3\xB4", "\x99"}, {"\xC3\xA8", "\x8F"}, {"\xC3\xA0", "\x88"}, {"\x80\x80", " "},    {"\xC3\x89", "\x83"},
      {"\xC8\xA8", "E"},    {"\xC3\x96", "\x85"}, {"\xC2\xAB", "\xC7"}, {"\xC5\x99", "r"},    {"\xC2\xBB", "\xC8"},
      {"\xC3\x98", "\xAF"}, {"\xC3\xA9", "\x8E"}, {"\xC3\xA2", "\x89"}, {"\xC3\xA1", "\x87"}, {"\xC3\xB3", "\x97"},
      {"\xC3\xAD", "\x92"}, {"\xC3\xB2", "\x98"}, {"\xC3\x81", "\xE7"}, {"\xC3\xBA", "\x9C"}, {"\xC3\x82", "\xE5"},
  };
  for (const auto& [utf8, macRoman] : pairs)
    EXPECT_EQ(convertToProperPascalString(std::string("a") + utf8 + "z"), std::string("a") + macRoman + "z") << utf8;
  // The single byte first, then the pairs; a lead byte at the end, unknown
  // sequences and other bytes pass through; the result keeps 255 bytes.
  EXPECT_EQ(convertToProperPascalString("\xC3\xB1\xF1"), "\x96\x96");
  EXPECT_EQ(convertToProperPascalString("abc\xC3"), "abc\xC3");
  EXPECT_EQ(convertToProperPascalString("\xE2\x82\xAC\xC3\xBF"), "\xE2\x82\xAC\xC3\xBF");
  EXPECT_EQ(convertToProperPascalString(std::string(300, 'a')).size(), 255u);
}

TEST(ReplaceStringOut, ComparesOnlyThePairsFirstTwoBytes) {
  EXPECT_EQ(ReplaceStringOut("xabyab", "abc", "Z"), "xZyZ");
  EXPECT_EQ(ReplaceStringOut("aab", "ab", "--"), "a--");
  EXPECT_EQ(ReplaceStringOut("a", "ab", "Z"), "a");
  EXPECT_EQ(ReplaceStringOut(std::string(200, 'a'), "aa", "bbbb").size(), 255u);
}

TEST(StripIt, KeepsTheKeyCharactersUpperCased) {
  EXPECT_EQ(stripIt("Rock & Roll"), "ROCKROLL");
  EXPECT_EQ(stripIt("Hip-Hop"), "HIP-HOP");
  EXPECT_EQ(stripIt("R&B, 80's {live}"), "RB80SLIVE");  // braces and below-hyphen bytes go
  EXPECT_EQ(stripIt("Caf\x8E"), "CAF");                 // accented letters are dropped
  EXPECT_EQ(stripIt("a/b.c"), "A/B.C");
}

TEST(Replace, SearchesAndReplacesInABlock) {
  std::vector<std::uint8_t> block = {'x', 'T', 'I', 'T', '2', 'y', 'T', 'I', 'T', '2'};
  EXPECT_EQ(Replace(block, 0, "TIT2", "TIT2"), 5);
  EXPECT_EQ(Replace(block, 2, "TIT2", "TIT2"), 10);
  EXPECT_LT(Replace(block, 7, "TIT2", "TIT2"), 0);
  EXPECT_LT(Replace(block, 11, "TIT2", "TIT2"), 0);  // offset past the end
  EXPECT_LT(Replace(block, -1, "TIT2", "TIT2"), 0);
  EXPECT_EQ(Replace(block, 0, "TIT2", "AB"), 3);
  EXPECT_EQ(std::string(block.begin(), block.end()), "xAByTIT2");
}

TEST(ReplaceString, IsASubstringTestThatLeavesTheText) {
  const std::string text = "PODCAST feed";
  EXPECT_GE(ReplaceString(text, 0, "PODCAST", "PODCAST"), 0);
  EXPECT_GE(ReplaceString(text, 0, "feed", "x"), 0);
  EXPECT_EQ(ReplaceString(text, 0, "nothing", "x"), -1);
  EXPECT_EQ(ReplaceString("", 0, "a", "a"), -1);
  EXPECT_EQ(text, "PODCAST feed");
}
