// The add run under the Qt event loop: between two files the loop runs, so
// a click on the sheet's Stop button is handled while the run is on.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdlib>
#include <filesystem>

#include "core/appstate.h"
#include "core/paths.h"
#include "core/tasks.h"
#include "engine/genres.h"
#include "ingest/add_one.h"
#include "ingest/add_runs.h"
#include "ingest/windows.h"
#include "library/tune.h"
#include "platform/movie.h"
#include "platform/qt/qt_toolbox.h"
#include "platform/toolbox.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace {

int gClicksDuringRun = 0;

void dialog(std::int16_t type, std::int16_t window, std::int16_t control) {
  if (type == kControlClicked && window == kSheetWindow && control == kAddStopButton) {
    if (gWeAeAddingTunes_S == 1) ++gClicksDuringRun;
    gStopCollectingPerUser_S = 1;
  }
}

}  // namespace

TEST(AddRunUnderQt, StopClickIsHandledBetweenFiles) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "test_ingest_qt";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  initMP3Categories();
  ASSERT_EQ(EnterMovies(), noErr);

  TempDir dir;
  setLibraryFilePath(dir.file("db/LumarollDatabase"));
  for (int i = 1; i <= 3; ++i) {
    MediaRecipe s;
    s.seconds = 28;
    s.frequency = 400.0 + 30.0 * i;
    s.tags = {"Qt " + std::to_string(i), "Loop", "Tests", "Rock"};
    std::filesystem::create_directories(dir.file("music"));
    writeTestMedia(dir.file("music/t" + std::to_string(i) + ".mp3"), s);
  }

  ToolboxHandlers h;
  h.dialog = dialog;
  h.pass = [] {
    runTasks(TickCount());
    if (activeTaskCount() == 0) QCoreApplication::quit();
  };
  h.needsPasses = [] { return activeTaskCount() > 0; };
  toolboxInstallHandlers(h);

  // The user clicks Stop as soon as the first tune shows in the sheet; the
  // click is a real mouse press and release on the button widget.
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (addRunStats().tunesAdded < 1) return;
    watcher.stop();
    auto* stop = qobject_cast<QAbstractButton*>(qtToolboxControl(kSheetWindow, kAddStopButton));
    ASSERT_NE(stop, nullptr);
    QTest::mouseClick(stop, Qt::LeftButton);
  });
  watcher.start();
  QTimer::singleShot(120000, [] { QCoreApplication::exit(1); });

  startTask(addTunes({dir.file("music")}));
  QTimer::singleShot(0, [] { toolboxHandlers().pass(); });
  ASSERT_EQ(QApplication::exec(), 0);

  EXPECT_EQ(gClicksDuringRun, 1);
  EXPECT_EQ(gStartTotalTunes_L, 1);
  EXPECT_EQ(gTunes_A[1].title.view(), "Qt 1");
  EXPECT_FALSE(windowExists(kSheetWindow));
  setLibraryFilePath("");
}
