// Start-up and the windows it builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <tuple>

#include "app/app.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "ingest/add_runs.h"
#include "library/database.h"
#include "ui/fixture.h"

using Startup = AppTest;

TEST_F(Startup, SavedFrameOutsideEveryScreenIsMovedOntoTheMainScreen) {
  const ToolboxRect main{0, 0, 1440, 900};
  const std::vector<ToolboxRect> screens{main, {1440, 0, 1920, 1080}};
  auto placed = [&](ToolboxRect saved) {
    const ToolboxRect r = mainWindowFrameOnScreen(saved, main, screens);
    return std::array{r.left, r.top, r.width, r.height};
  };
  EXPECT_EQ(placed({2000, 100, 1000, 600}), (std::array{2000, 100, 1000, 600})) << "on the second screen: kept";
  EXPECT_EQ(placed({4000, 100, 1000, 600}), (std::array{0, 0, 1000, 600})) << "where a third screen used to be";
  EXPECT_EQ(placed({100, -800, 500, 300}), (std::array{0, 0, 973, 500})) << "title bar unreachable, too small";
}

TEST_F(Startup, AboutWindowIsBuiltOnceAndItsButtonsWork) {
  ASSERT_TRUE(startLumaroll());
  toolboxHandlers().menu(254, 1);
  toolboxHandlers().menu(254, 1);
  auto& log = headlessToolbox().log;
  EXPECT_EQ(std::count(log.begin(), log.end(), "window:14=About Orvane\u00AE Lumaroll"), 1);
  toolboxHandlers().dialog(kControlClicked, kAboutWindow, 9003);
  EXPECT_TRUE(windowExists(kAboutWindow)) << "Email leaves the window open";
  toolboxHandlers().dialog(kControlClicked, kAboutWindow, 9002);
  EXPECT_FALSE(windowExists(kAboutWindow) || gWin14_S);
}

// The end of an add run shows exactly the rebuilt playlist: no row of the
// old one stays.
TEST_F(Startup, AnAddRunsEndingShowsExactlyTheRebuiltPlaylist) {
  makeLibrary(3, numbered);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  ASSERT_TRUE(startLumaroll());
  for (std::int32_t i = 1; i <= 3; ++i) gTunes_A[i].justAdded = 1;
  doMenu(kPlaylistsMenu, 2);  // Last Added: all three
  ASSERT_EQ(shownRows().size(), 3u);
  std::filesystem::create_directories(dir.file("empty"));
  startTask(addTunes({dir.file("empty/")}));
  while (activeTaskCount() > 0) runTasks(headlessToolbox().ticks++);
  EXPECT_EQ(std::tuple(gTotalPlaylistTunes_L, shownRows().size(), gCurrentSelectedTune_L,
                       getControlText(kMainWindow, kSummaryText)),
            std::tuple(0, 0u, 0, "Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB"));
}
