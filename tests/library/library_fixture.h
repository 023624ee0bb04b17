// Points the library file at a temporary folder and empties the tables'
// counters around each test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "core/errors.h"
#include "core/paths.h"
#include "library/database.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "support/temp_dir.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headlessToolbox().reset();
    setLibraryFilePath(dbPath = dir.file("Lumaroll/LumarollDatabase"));
    gTotalTunes_L = gStartTotalTunes_L = 0;
    gDatabaseLoadIncomplete = false;
  }
  // Appends a committed tune with a recognisable title, numbered as a load
  // would number it.
  Tune& addTune(const std::string& title, std::int32_t colour = 1) {
    const std::int32_t k = claimTuneRecord();
    Tune& t = gTunes_A[k];
    std::memset(&t, 0, sizeof t);
    t.title.assign(title);
    t.colourCategory = colour;
    t.permID = static_cast<std::uint32_t>(k);  // as a load numbers it
    commitTunes();
    return t;
  }
  TempDir dir;
  std::string dbPath;
};
