#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "core/errors.h"
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
  TempDir dir;
};

}  // namespace

TEST_F(Prefs, FirstStartCreatesAnEmptyFileAndKeepsTheDefaults) {
  loadPrefs();
  EXPECT_EQ(readFileBytes(prefsFilePath()), "");
  EXPECT_EQ(std::tuple(gWin1SizeVert_S, gWin1SizeHor_S, gWin1PosHor_S, gWin1PosVert_S, gPlayerVolume_S),
            std::tuple(800, 1340, 0, 0, 273));
}

// Each setting on a line of its own ending in a return, its two bytes
// exchanged, written as a signed number after one blank or a minus.
TEST_F(Prefs, QuitWritesByteExchangedLinesAndTheStartReadsThemBack) {
  gWin1SizeVert_S = 700;
  gWin1SizeHor_S = 900;
  gWin1PosHor_S = -5;
  gWin1PosVert_S = 44;
  gPlayerVolume_S = 1168;
  savePrefs();
  EXPECT_EQ(readFileBytes(prefsFilePath()), "-17406\r-31741\r-1025\r 11264\r-28668\r");
  setDefaultPrefs(1440, 900);
  loadPrefs();
  EXPECT_EQ(std::tuple(gWin1SizeVert_S, gWin1SizeHor_S, gWin1PosHor_S, gWin1PosVert_S, gPlayerVolume_S),
            std::tuple(700, 900, -5, 44, 1168));
}

TEST_F(Prefs, ParsingFollowsTheNumberReaderAndAShortFileKeepsTheRest) {
  // Leading blanks and tabs, a number that ends at a comma, text without
  // digits, values beyond 16 bits keep their low 16 bits; no volume line.
  applyPrefsFileText(" \t8195,junk\rabc\r 70000\r-1025\r");
  EXPECT_EQ(gWin1SizeVert_S, 800);
  EXPECT_EQ(gWin1SizeHor_S, 0);
  EXPECT_EQ(gWin1PosHor_S, byteExchange16(static_cast<std::int16_t>(70000 & 0xFFFF)));
  EXPECT_EQ(gWin1PosVert_S, -5);
  EXPECT_EQ(gPlayerVolume_S, 273);  // not exchanged into 4353
}

// A pipe would wait for a writer for ever, /dev/zero never ends, and a file
// far longer than five lines is not a preferences file: each leaves the
// defaults, at once (a child with an alarm turns a hang into a failure).
TEST_F(Prefs, OnlyASmallPlainFileIsRead) {
  const std::string path = prefsFilePath();
  createNewDirectory(folderOf(path));
  const std::function<void()> makers[] = {
      [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); },
      [&] { ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0); },
      [&] { writeFileBytes(path, "\r\r 8195\r" + std::string(kLongestPrefsFile, ' ')); },
  };
  for (const auto& make : makers) {
    std::filesystem::remove(path);
    make();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      alarm(5);
      loadPrefs();
      _exit(gPlayerVolume_S == kDefaultPlayerVolume && gWin1PosHor_S == 0 ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "reading the preferences hung";
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
}
