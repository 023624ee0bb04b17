#include "app_fixture.h"

#include <cstring>

#include "app/app.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "platform/headless/headless_toolbox.h"
#include "ui/dbdata.h"

namespace {
void throwExit(int status) { throw ProgramExit{status}; }
}  // namespace

void fillTune(Tune& t, const TuneRecipe& s, std::int32_t number) {
  t = Tune{};
  t.title.assign(s.title);
  t.artist.assign(s.artist);
  t.album.assign(s.album);
  t.genre.assign(s.genre);
  t.durationText.assign(s.duration);
  t.durationSeconds = s.seconds;
  t.hpe = s.hpe;
  t.colourCategory = s.category;
  t.colourRed = static_cast<std::uint16_t>(0x1000 * s.category);
  t.colourGreen = 0x2000;
  t.colourBlue = 0x3000;
  t.playCount = s.playCount;
  t.checked = s.checked;
  t.fileKind = static_cast<std::uint16_t>(number % 2);
  t.fileLength = 4u << 20;
  t.tuneNumber = number;
  t.permID = static_cast<std::uint32_t>(number);
  std::string path = "/music/" + s.title + ".mp3";
  t.filePath.assign(path);
}

void makeLibrary(std::int32_t n, TuneRecipe (*describe)(std::int32_t)) {
  for (std::int32_t i = 1; i <= n; ++i) fillTune(gTunes_A[i], describe(i), i);
  gTotalTunes_L = gStartTotalTunes_L = n;
  gNextPermIDNumber_UL = static_cast<std::uint32_t>(n);
  recountColours();
}

void AppTest::SetUp() {
  headlessToolbox().reset();
  gExitHook = throwExit;
  setLibraryFilePath(dir.file("Lumaroll/LumarollDatabase"));
  setPrefsFilePath(dir.file("Orvane-Lumaroll/LumarollPrefs"));
  initGlobals();
}

void AppTest::TearDown() {
  cancelAllTasks();
  disposeKWED3rowser();
  gExitHook = nullptr;
  setLibraryFilePath("");
  setPrefsFilePath("");
}
