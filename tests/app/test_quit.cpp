// Quitting: what is saved, and when the person is asked first.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app.h"
#include "core/paths.h"
#include "library/database.h"
#include "platform/critical_error.h"
#include "ui/fixture.h"

namespace {

class Quitting : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    start(4);
    gTotalTunes_L = gStartTotalTunes_L = 3;
    ASSERT_EQ(saveDatabaseFiles(), noErr);  // the last checkpoint
    savedLibrary = readFileBytes(libraryFilePath());
    // What the user did since: one more tune and a moved window.
    gTotalTunes_L = gStartTotalTunes_L = 4;
    toolboxSetWindowContentRect(kMainWindow, ToolboxRect{10, 44, 1000, 700});
  }
  std::string savedLibrary;
};

}  // namespace

// Quit saves the library and the preferences; during an add run it asks
// first and, confirmed, saves only the preferences. A signal, the session's
// end or the close box save everything without asking.
TEST_F(Quitting, EachWayOfQuittingSavesWhatItShould) {
  struct Case {
    const char* name;
    std::uint32_t command;  // 0: the close box
    bool adding, answer, ends, asks, savesLibrary, savesPrefs;
  };
  for (const Case& c : {Case{"idle", kQuitCommand, false, true, true, false, true, true},
                        Case{"confirmed", kQuitCommand, true, true, true, true, false, true},
                        Case{"cancelled", kQuitCommand, true, false, false, true, false, false},
                        Case{"signal", kQuitNowCommand, true, false, true, false, true, true},
                        Case{"close box", 0, true, false, true, false, true, true}}) {
    SCOPED_TRACE(c.name);
    writeFileBytes(libraryFilePath(), savedLibrary);
    std::filesystem::remove(prefsFilePath());
    headlessToolbox().log.clear();
    headlessToolbox().cautionAnswers = {c.answer};
    gWeAeAddingTunes_S = c.adding ? 1 : 0;
    bool ended = false;
    try {
      if (c.command)
        EXPECT_EQ(MyCommandHandler(c.command), 0);
      else
        doDialog(kWindowCloseBox, kMainWindow, 0);
    } catch (const ProgramExit& e) {
      ended = e.status == 0;
    }
    EXPECT_EQ(ended, c.ends);
    EXPECT_EQ(logged("caution:Tunes Are Still Being Added to Your Library...|Are you sure"), c.asks);
    EXPECT_EQ(readFileBytes(libraryFilePath()).size(), (c.savesLibrary ? 4 : 3) * kTuneRecordSize);
    EXPECT_EQ(readFileBytes(prefsFilePath()).empty(), !c.savesPrefs);
  }
  EXPECT_EQ(readFileBytes(prefsFilePath()).substr(0, 14), "-17406\r-6141\r ") << "the moved window";
  EXPECT_EQ(MyCommandHandler(0x61626f75), kEventNotHandledErr) << "other commands pass on";
}

TEST_F(Quitting, ToleratedErrorsAreIgnoredOthersEndWithoutSaving) {
  resetError(fnfErr);
  resetError(-5000);
  EXPECT_FALSE(logged("stop:"));
  EXPECT_THROW(resetError(memFullErr), ProgramExit);
  EXPECT_TRUE(logged("stop:Critical Error -108|Sorry, but a critial error has occurred and Lumaroll must quit.|Quit"));
  EXPECT_EQ(readFileBytes(libraryFilePath()), savedLibrary);
  EXPECT_TRUE(readFileBytes(prefsFilePath()).empty());
}
