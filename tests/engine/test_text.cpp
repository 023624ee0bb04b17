#include <gtest/gtest.h>

#include "engine/text.h"

TEST(ConvertToProperPascalString, FoldsTagTextToMacRoman) {
  EXPECT_EQ(convertToProperPascalString("Caf\xC3\xA9"), "Caf\x8E");
  EXPECT_EQ(convertToProperPascalString("\xC3\xB1\xF1"), "\x96\x96");
  EXPECT_EQ(convertToProperPascalString("it\xC2\xB4s"), "it's");
  EXPECT_EQ(convertToProperPascalString("a\x80\x80z"), "a z");
  EXPECT_EQ(convertToProperPascalString("\xC2\xAB" "x" "\xC2\xBB"), "\xC7x\xC8");
  // An odd lead byte at the very end and unknown sequences pass through.
  EXPECT_EQ(convertToProperPascalString("abc\xC3"), "abc\xC3");
  EXPECT_EQ(convertToProperPascalString("\xE2\x82\xAC"), "\xE2\x82\xAC");
  const std::string longText(300, 'a');
  EXPECT_EQ(convertToProperPascalString(longText).size(), 255u);
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
  EXPECT_EQ(stripIt("Caf\x8E"), "CAF");  // accented letters are dropped
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
