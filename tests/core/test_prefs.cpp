#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "core/paths.h"
#include "core/prefs.h"
#include "support/temp_dir.h"

namespace {

class Prefs : public ::testing::Test {
 protected:
  void SetUp() override {
    setPrefsFilePath(dir.file("Orvane-Lumaroll/LumarollPrefs"));
    setDefaultPrefs(1440, 900);
  }
  void TearDown() override { setPrefsFilePath(""); }
  static auto settings() {
    return std::tie(gWin1SizeVert_S, gWin1SizeHor_S, gWin1PosHor_S, gWin1PosVert_S, gPlayerVolume_S);
  }
  TempDir dir;
};

}  // namespace

// The first start makes an empty file and keeps the defaults. The quit
// writes each setting on a line of its own ending in a return, its two bytes
// exchanged, as a signed number after one blank or a minus; the next start
// reads them back. Reading skips leading blanks and tabs, ends a number at a
// comma, takes text without digits as 0 and keeps the low 16 bits of larger
// values; with no volume line the default stays, not exchanged into 4353.
TEST_F(Prefs, TheNextStartReadsWhatTheQuitWroteAndAShortFileKeepsTheRest) {
  loadPrefs();
  EXPECT_EQ(readFileBytes(prefsFilePath()), "");
  EXPECT_EQ(settings(), std::tuple(800, 1340, 0, 0, 273));
  settings() = std::tuple(700, 900, -5, 44, 1168);
  savePrefs();
  EXPECT_EQ(readFileBytes(prefsFilePath()), "-17406\r-31741\r-1025\r 11264\r-28668\r");
  setDefaultPrefs(1440, 900);
  loadPrefs();
  EXPECT_EQ(settings(), std::tuple(700, 900, -5, 44, 1168));
  setDefaultPrefs(1440, 900);
  applyPrefsFileText(" \t8195,junk\rabc\r 70000\r-1025\r");
  EXPECT_EQ(settings(), std::tuple(800, 0, byteExchange16(static_cast<std::int16_t>(70000 & 0xFFFF)), -5, 273));
}

// A pipe would wait for a writer for ever, /dev/zero never ends, and a file
// far longer than five lines is not a preferences file: each leaves the
// defaults, at once (a child with an alarm turns a hang into a failure).
TEST_F(Prefs, OnlyASmallPlainFileIsRead) {
  const std::string path = prefsFilePath();
  createNewDirectory(folderOf(path));
  // Each is reached through a link, as a link to a settings file is followed.
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
  writeFileBytes(dir.file("long"), "\r\r 8195\r" + std::string(kLongestPrefsFile, ' '));
  for (const std::string& target : {dir.file("pipe"), std::string("/dev/zero"), dir.file("long")}) {
    std::filesystem::remove(path);
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    EXPECT_EXIT(
        {
          alarm(5);
          loadPrefs();
          _exit(gPlayerVolume_S == kDefaultPlayerVolume && gWin1PosHor_S == 0 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
  }
}
