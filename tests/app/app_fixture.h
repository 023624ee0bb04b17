// A program state for tests of the application logic on the headless
// toolbox: a library of tunes, the globals as start-up leaves them, and the
// exit of the program turned into an exception.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "library/tune.h"
#include "support/temp_dir.h"

struct ProgramExit {
  int status;
};

struct TuneRecipe {
  std::string title, artist = "Artist", album = "Album", genre = "Rock", duration = "3:00";
  std::int32_t hpe = 10000, category = 2, playCount = 0, seconds = 180;
  std::uint16_t checked = 1;
};

// Fills a record from a TuneRecipe; `number` gives its tune number and permID.
void fillTune(Tune& t, const TuneRecipe& s, std::int32_t number);
// Library tunes 1..n made by `describe(i)` and committed.
void makeLibrary(std::int32_t n, TuneRecipe (*describe)(std::int32_t));

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TempDir dir;
};
