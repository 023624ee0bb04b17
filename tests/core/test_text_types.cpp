#include <gtest/gtest.h>

#include "core/macroman.h"
#include "core/pstring.h"

TEST(PString, LengthIsClampedToTheFieldAndTheTailIsKept) {
  Str63 s{};
  s.len = 200;  // as read from a damaged file
  for (auto& b : s.text) b = 'x';
  EXPECT_EQ(s.view().size(), 63u);
  s.append("more");  // already full: nothing is written past the field
  EXPECT_EQ(s.view(), std::string(63, 'x'));
  s.assign("bc");
  EXPECT_EQ(s.view(), "bc");
  EXPECT_EQ(s.text[2], 'x');  // the field's tail is not cleared
  Str255 t{};
  t.assign("abc");
  t.append(std::string(300, 'z'));
  EXPECT_EQ(t.view(), "abc" + std::string(252, 'z'));
  EXPECT_EQ("Total Tunes: " + numText(12) + numText(-1025), "Total Tunes:  12-1025");
}

TEST(MacRoman, UpperCaseAndDisplayForms) {
  EXPECT_EQ(upperCaseMacRoman("abc xyz 123 {\x8E\x96\x9F\xCF\x83"), "ABC XYZ 123 {\x83\x84\x86\xCE\x83");
  // Every mapping lands on a letter that itself maps to itself.
  for (int i = 0; i < 256; ++i) EXPECT_EQ(gUpperCaseTable[gUpperCaseTable[i]], gUpperCaseTable[i]) << i;

  EXPECT_EQ(storedToDisplay("Caf\x8E"), "Caf\xC3\xA9");        // Mac Roman e acute
  EXPECT_EQ(storedToDisplay("Caf\xC3\xA9"), "Caf\xC3\xA9");    // already UTF-8: shown as is
  EXPECT_EQ(storedToDisplay("\xC3"), "\xE2\x88\x9A");          // a lone lead byte is Mac Roman (square root)
  EXPECT_EQ(displayToStored("\xE2\x82\xAC"), "\xDB");          // euro sign
  EXPECT_EQ(displayToStored("\xE6\x97\xA5"), "\xE6\x97\xA5");  // no Mac Roman code: UTF-8 kept
  // Every Mac Roman byte survives the round trip through the display form.
  for (int b = 0x80; b < 0x100; ++b) {
    const std::string s(1, static_cast<char>(b));
    EXPECT_EQ(displayToStored(storedToDisplay(s)), s) << b;
  }
}
