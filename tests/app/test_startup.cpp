#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/app.h"
#include "app_fixture.h"
#include "core/appstate.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "ingest/add_runs.h"
#include "library/database.h"
#include "platform/headless/headless_toolbox.h"
#include "playlists/builder.h"
#include "ui/dbdata.h"
#include "ui/dialog.h"
#include "ui/mainwindow.h"
#include "ui/menus.h"

namespace {

TuneRecipe numbered(std::int32_t i) {
  TuneRecipe s;
  s.title = "Tune " + std::to_string(i);
  s.category = 1 + i % 9;
  return s;
}

// Writes a library of n tunes as the database file and forgets it in memory.
void writeLibraryFile(std::int32_t n) {
  makeLibrary(n, numbered);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  for (std::int32_t i = 1; i <= n; ++i) gTunes_A[i] = Tune{};
  gTotalTunes_L = gStartTotalTunes_L = 0;
}

using Startup = AppTest;

}  // namespace

TEST_F(Startup, FullLibraryIsListedInTheMainWindow) {
  writeLibraryFile(kMaxTunes);
  ASSERT_TRUE(startLumaroll());
  EXPECT_EQ(gStartTotalTunes_L, kMaxTunes);
  EXPECT_EQ(gCurrentPlaylist_S, 3);
  EXPECT_EQ(gTotalPlaylistTunes_L, kMaxTunes);
  const auto rows = listViewShownRows(kMainWindow, kListControl);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kMaxTunes));
  EXPECT_EQ(rows.front(), 1);
  EXPECT_EQ(rows.back(), kMaxTunes);
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText).rfind("Tunes: 30000  \u2022  Time:", 0), 0u);
  EXPECT_NE(toolboxHandlers().event, nullptr);
  EXPECT_NE(toolboxHandlers().command, nullptr);
}

TEST_F(Startup, MainWindowHasEveryControlAtItsFrame) {
  ASSERT_TRUE(startLumaroll());
  auto& tb = headlessToolbox();
  ASSERT_TRUE(windowExists(kMainWindow));
  const HeadlessWindow& w = *tb.window(kMainWindow);
  EXPECT_EQ(w.desc.title, "Lumaroll");
  EXPECT_EQ(w.desc.minWidth, 973);
  EXPECT_EQ(w.desc.minHeight, 500);
  const std::int32_t W = w.desc.content.width, H = w.desc.content.height;
  for (std::int16_t id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 1000, 1001, 1002, 7000})
    EXPECT_TRUE(tb.control(kMainWindow, id)) << "control " << id;
  EXPECT_EQ(tb.control(kMainWindow, 1)->desc.frame.left, W - 257);
  EXPECT_EQ(tb.control(kMainWindow, 9)->desc.frame.left, W - 73);
  EXPECT_EQ(tb.control(kMainWindow, 9)->desc.helpTag, "Click To Play Purple Tunes");
  EXPECT_EQ(tb.control(kMainWindow, 4)->desc.icon, "SpringGreenBtn");
  EXPECT_EQ(tb.control(kMainWindow, 11)->desc.frame.top, -1);
  EXPECT_EQ(tb.control(kMainWindow, 17)->desc.value, 273);
  EXPECT_EQ(tb.control(kMainWindow, 17)->desc.maximum, 730);
  EXPECT_EQ(tb.control(kMainWindow, 1000)->desc.text, "Activity: None");
  EXPECT_EQ(tb.control(kMainWindow, 1001)->desc.frame.left, W / 2 - 200);
  EXPECT_EQ(tb.control(kMainWindow, 1001)->desc.frame.top, H - 23);
  EXPECT_EQ(tb.control(kMainWindow, 7000)->desc.frame.left, W - 215);
}

TEST_F(Startup, EmptyLibraryShowsTheFirstTimeWindowAndAnEmptyList) {
  ASSERT_TRUE(startLumaroll());
  EXPECT_TRUE(windowExists(kFirstTimeWindow));
  EXPECT_EQ(gAddSystemFontsNow_S, 1);
  EXPECT_TRUE(listViewShownRows(kMainWindow, kListControl).empty());
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText), "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB");
  EXPECT_TRUE(fileExists(prefsFilePath()));
}

TEST_F(Startup, SavedFrameOutsideEveryScreenIsMovedOntoTheMainScreen) {
  const ToolboxRect main{0, 0, 1440, 900};
  const std::vector<ToolboxRect> screens{main, {1440, 0, 1920, 1080}};
  // On the second screen: kept.
  ToolboxRect r = mainWindowFrameOnScreen({2000, 100, 1000, 600}, main, screens);
  EXPECT_EQ(r.left, 2000);
  // Where a third screen used to be: moved.
  r = mainWindowFrameOnScreen({4000, 100, 1000, 600}, main, screens);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.width, 1000);
  // Above every screen, title bar unreachable: moved; too small: raised.
  r = mainWindowFrameOnScreen({100, -800, 500, 300}, main, screens);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.width, 973);
  EXPECT_EQ(r.height, 500);
}

TEST_F(Startup, AboutWindowIsBuiltOnceAndItsButtonsWork) {
  ASSERT_TRUE(startLumaroll());
  toolboxHandlers().menu(254, 1);
  toolboxHandlers().menu(254, 1);
  auto& tb = headlessToolbox();
  EXPECT_EQ(std::count(tb.log.begin(), tb.log.end(), "window:14=About Orvane\u00AE Lumaroll"), 1);
  EXPECT_EQ(gWin14_S, 1);
  toolboxHandlers().dialog(kControlClicked, kAboutWindow, 9003);
  EXPECT_TRUE(windowExists(kAboutWindow)) << "Email leaves the window open";
  toolboxHandlers().dialog(kControlClicked, kAboutWindow, 9002);
  EXPECT_FALSE(windowExists(kAboutWindow));
  EXPECT_EQ(gWin14_S, 0);
}

TEST_F(Startup, BigNoticeFadesInOverTheCategoryColour) {
  makeBigAlertWin("No purple tunes...", 9);
  auto& tb = headlessToolbox();
  const HeadlessWindow* w = tb.window(kNoticeWindow);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(gAddingWindowIsOpen_S, 1);
  EXPECT_NEAR(w->opacity, 0.891, 1e-9);
  EXPECT_EQ(w->controls.at(1).notice.innerColour.blue, 0xD400);
  closeBigAlertWin();
  makeBigAlertWin("Saving", 0);
  EXPECT_EQ(tb.window(kNoticeWindow)->controls.at(1).notice.innerColour.red, 0xFE01);
  closeBigAlertWin();
  EXPECT_FALSE(windowExists(kNoticeWindow));
}

TEST_F(Startup, SecondaryWindowHeaderNeedsItsIcon) {
  WindowDesc sheet;
  sheet.number = kSheetWindow;
  sheet.content = ToolboxRect{0, 0, 500, 200};
  toolboxCreateWindow(sheet);
  windowIcons(kSheetWindow, "", "Adding", true);
  EXPECT_FALSE(headlessToolbox().control(kSheetWindow, 20001));
  windowIcons(kSheetWindow, "AddTunesIcon", "Adding Tunes", false);
  const auto* icon = headlessToolbox().control(kSheetWindow, 20001);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->desc.frame.width, 37);
  EXPECT_EQ(headlessToolbox().control(kSheetWindow, 20002)->desc.frame.width, 500 - 15 - 41);
  headlessToolbox().missingIcons.insert("Gone");
  EXPECT_THROW(windowIcons(kSheetWindow, "Gone", "Adding", true), ProgramExit);
}

TEST_F(Startup, AnAddRunsEndingShowsExactlyTheRebuiltPlaylist) {
  writeLibraryFile(3);
  ASSERT_TRUE(startLumaroll());
  for (std::int32_t i = 1; i <= 3; ++i) gTunes_A[i].justAdded = 1;
  doMenu(kPlaylistsMenu, 2);  // Last Added: all three
  ASSERT_EQ(listViewShownRows(kMainWindow, kListControl).size(), 3u);
  const std::string empty = dir.file("empty/");
  std::filesystem::create_directories(empty);
  startTask(addTunes({empty}));
  for (auto& tb = headlessToolbox(); activeTaskCount() > 0;) runTasks(tb.ticks++);
  EXPECT_EQ(gTotalPlaylistTunes_L, 0);
  EXPECT_TRUE(listViewShownRows(kMainWindow, kListControl).empty()) << "no row of the old playlist stays";
  EXPECT_EQ(getControlText(kMainWindow, kSummaryText), "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB");
  EXPECT_EQ(gCurrentSelectedTune_L, 0);
}
