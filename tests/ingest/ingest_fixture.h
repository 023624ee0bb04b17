// Add runs on generated trees: the recording toolbox, the real movie
// services, the library file in a temporary folder, and the run's task
// driven step by step with the toolbox's clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/appstate.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "engine/genres.h"
#include "ingest/add_one.h"
#include "ingest/add_runs.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "platform/movie.h"
#include "playlists/builder.h"
#include "support/media.h"
#include "support/temp_dir.h"

using Names = std::vector<std::string>;

// The number of analysis workers for as long as it lives.
struct ThreadsSetting {
  explicit ThreadsSetting(const std::string& n) { ::setenv("LUMAROLL_ANALYSIS_THREADS", n.c_str(), 1); }
  ~ThreadsSetting() { ::unsetenv("LUMAROLL_ANALYSIS_THREADS"); }
};

class AddRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    initMP3Categories();
    ASSERT_EQ(EnterMovies(), noErr);
  }
  void SetUp() override {
    headlessToolbox().reset();
    setLibraryFilePath(dbPath);
    gTotalTunes_L = gStartTotalTunes_L = 0;
    gMaxTunes_L = kMaxTunes;
    gStopCollectingPerUser_S = gWeAeAddingTunes_S = 0;
    setAddYieldTicks(2);
    gCurrentSelectedTune_L = 0;
  }
  void TearDown() override {
    cancelAllTasks();
    setLibraryFilePath("");
  }

  // A tune file of its own (a distinct title, so never a duplicate).
  std::string tune(const std::string& relative, const std::string& title, double seconds = 28,
                   MediaFormat format = MediaFormat::mp3Cbr) {
    const std::filesystem::path path = dir.path() / "music" / relative;
    std::filesystem::create_directories(path.parent_path());
    writeTestMedia(path.string(), {.format = format,
                                   .seconds = seconds,
                                   .frequency = 330.0 + 10.0 * static_cast<double>(++made),
                                   .tags = {title, "Generator", "Tests", "Rock"}});
    return path.string();
  }
  std::string music() const { return (dir.path() / "music").string() + "/"; }

  // Runs tasks until none is left, the toolbox clock advancing one tick per
  // pass; `between` runs after every pass.
  void runAll(const std::function<void()>& between = {}) {
    for (auto& tb = headlessToolbox(); activeTaskCount() > 0;) {
      runTasks(tb.ticks++);
      if (between) between();
    }
  }

  Names titles(std::int32_t first = 1) const {
    Names t;
    for (std::int32_t i = first; i <= gStartTotalTunes_L; ++i) t.push_back(gTunes_A[i].title.str());
    return t;
  }
  // Committed Rock tunes already in the library (no files behind them).
  void preload(std::int32_t count, const std::string& album = "") {
    for (std::int32_t i = 1; i <= count; ++i) {
      gTunes_A[i] = Tune{};
      gTunes_A[i].title.assign("Old " + std::to_string(i));
      gTunes_A[i].genre.assign("Rock");
      gTunes_A[i].album.assign(album);
      gTunes_A[i].colourCategory = 2;
      gTunes_A[i].justAdded = 1;
    }
    gTotalTunes_L = gStartTotalTunes_L = count;
  }
  std::size_t savedRecords() const { return readFileBytes(dbPath).size() / kTuneRecordSize; }

  TempDir dir;
  const std::string dbPath = dir.file("db/LumarollDatabase");
  int made = 0;
};
