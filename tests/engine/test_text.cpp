// The text folding of tags, the match keys and the duration texts.
#include <gtest/gtest.h>

#include "engine/durations.h"
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

TEST(StripIt, KeepsTheKeyCharactersUpperCased) {
  // Hyphen and slash stay; braces, '&', ',' and accented letters go.
  EXPECT_EQ(stripIt("R&B-Hop, 80's {live} a/b.c Caf\x8E"), "RB-HOP80SLIVEA/B.CCAF");
}

TEST(Durations, ShortAndLongForms) {
  const std::pair<int, const char*> shortForms[] = {
      {9, "0:09"},       {10, "0:10"},        {60, "1:00"},       {599, "9:59"},      {3599, "59:59"},
      {3600, "1:00:00"}, {86399, "23:59:59"}, {86400, "1:0:0:0"}, {90061, "1:1:1:1"},
  };
  for (const auto& [s, text] : shortForms) EXPECT_EQ(convertSecstoTimeStringShort(s), text) << s;
  const std::pair<int, const char*> longForms[] = {
      {1, " 1 secs "},
      {61, " 1 min  1 secs "},
      {3599, " 59 mins  59 secs "},
      {3600, " 1 hr  0 mins  0 secs "},
      {7322, " 2 hrs 2 mins  2 secs "},
      {90000, " 1 day  1 hr  0 mins  0 secs "},
      {2 * 86400 + 5 * 3600 + 61, " 2 days  5 hrs  1 mins  1 secs "},
  };
  for (const auto& [s, text] : longForms) EXPECT_EQ(convertSecstoTimeString(s), text) << s;
}
