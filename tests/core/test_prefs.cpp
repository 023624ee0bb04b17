#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/prefs.h"
#include "platform/headless/headless_toolbox.h"
#include "support/temp_dir.h"

namespace {

class Prefs : public ::testing::Test {
 protected:
  void SetUp() override {
    headlessToolbox().reset();
    setPrefsFilePath(dir.file("Orvane-Lumaroll/LumarollPrefs"));
    setDefaultPrefs();
  }
  void TearDown() override { setPrefsFilePath(""); }
  TempDir dir;
};

}  // namespace

TEST_F(Prefs, FirstStartCreatesAnEmptyFileAndKeepsTheDefaults) {
  loadPrefs();
  EXPECT_TRUE(fileExists(prefsFilePath()));
  EXPECT_EQ(readFileBytes(prefsFilePath()), "");
  EXPECT_EQ(gWin1SizeHor_S, 1440 - 100);
  EXPECT_EQ(gWin1SizeVert_S, 900 - 100);
  EXPECT_EQ(gWin1PosHor_S, 0);
  EXPECT_EQ(gWin1PosVert_S, 0);
  EXPECT_EQ(gPlayerVolume_S, 273);
}

TEST_F(Prefs, QuitWritesByteExchangedLines) {
  auto& tb = headlessToolbox();
  tb.hasMainWindow = true;
  tb.mainWindow = {10, 44, 900, 700};
  gPlayerVolume_S = 273;
  savePrefs();
  EXPECT_EQ(readFileBytes(prefsFilePath()), "-17406\r-31741\r 2560\r 11264\r 4353\r");
}

TEST_F(Prefs, NegativePositionsAndRoundTrip) {
  gWin1SizeVert_S = 800;
  gWin1SizeHor_S = 1200;
  gWin1PosHor_S = -5;
  gWin1PosVert_S = 30;
  gPlayerVolume_S = 1168;
  savePrefs();
  EXPECT_EQ(readFileBytes(prefsFilePath()).substr(0, 13), " 8195\r-20476\r");
  EXPECT_NE(readFileBytes(prefsFilePath()).find("\r-1025\r"), std::string::npos);
  setDefaultPrefs();
  loadPrefs();
  EXPECT_EQ(gWin1SizeVert_S, 800);
  EXPECT_EQ(gWin1SizeHor_S, 1200);
  EXPECT_EQ(gWin1PosHor_S, -5);
  EXPECT_EQ(gWin1PosVert_S, 30);
  EXPECT_EQ(gPlayerVolume_S, 1168);
}

TEST_F(Prefs, ParsingFollowsTheNumberReader) {
  // Leading blanks and tabs, a number that ends at a comma, text without
  // digits, values beyond 16 bits keep their low 16 bits.
  applyPrefsFileText(" \t8195,junk\rabc\r 70000\r-1025\r 4353\r");
  EXPECT_EQ(gWin1SizeVert_S, 800);
  EXPECT_EQ(gWin1SizeHor_S, 0);
  EXPECT_EQ(gWin1PosHor_S, byteExchange16(static_cast<std::int16_t>(70000 & 0xFFFF)));
  EXPECT_EQ(gWin1PosVert_S, -5);
  EXPECT_EQ(gPlayerVolume_S, 273);
}

TEST_F(Prefs, ShortFileKeepsTheSettingsItLacks) {
  gPlayerVolume_S = 273;
  gWin1SizeVert_S = 800;
  applyPrefsFileText(" 8195\r");  // only the height
  EXPECT_EQ(gWin1SizeVert_S, 800);
  EXPECT_EQ(gWin1SizeHor_S, 1440 - 100);
  EXPECT_EQ(gPlayerVolume_S, 273);  // not exchanged into 4353
}
