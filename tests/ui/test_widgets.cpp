// The main window on real widgets (offscreen platform).
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>

#include "app/app.h"
#include "core/appstate.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "library/database.h"
#include "platform/fake/fake_movie.h"
#include "platform/qt/qt_toolbox.h"
#include "player/playback.h"
#include "player/position.h"
#include "playlists/builder.h"
#include "support/temp_dir.h"
#include "ui/dbdata.h"

namespace {

struct ProgramExit {
  int status;
};

using Names = std::vector<std::string>;
const Names kNames = {"apple", "Zebra", "Mango", "banana", "Cherry"};

// Library tunes 1..n (named from kNames, tune 4 on the album "Moonlight")
// written as the database file.
void writeLibrary(std::int32_t n) {
  for (std::int32_t i = 1; i <= n; ++i) {
    Tune& t = gTunes_A[i];
    t = Tune{};
    t.title.assign(kNames[(i - 1) % 5] + (i > 5 ? " " + std::to_string(i) : ""));
    t.album.assign(i == 4 ? "Moonlight" : "Album");
    t.hpe = 1000 * i;
    t.checked = 1;
  }
  gTotalTunes_L = gStartTotalTunes_L = n;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  gTotalTunes_L = gStartTotalTunes_L = 0;
}

class Widgets : public ::testing::Test {
 protected:
  void SetUp() override {
    gExitHook = [](int status) { throw ProgramExit{status}; };
    qtToolboxSetAlertResponder([](std::string_view) { return true; });
    setLibraryFilePath(dir.file("Lumaroll/LumarollDatabase"));
    setPrefsFilePath(dir.file("Orvane-Lumaroll/LumarollPrefs"));
  }
  void TearDown() override {
    gStopPlaying_S = 1;  // a run still playing ends as Stop ends it
    for (int i = 0; i < 5 && playRunActive(); ++i) runTasks(TickCount() + 100 * (i + 1));
    toolboxCloseWindow(kMainWindow);
    toolboxCloseWindow(kAboutWindow);
    disposeKWED3rowser();
    cancelAllTasks();
    settle();
    gExitHook = nullptr;
    setLibraryFilePath("");
    setPrefsFilePath("");
  }
  void start(std::int32_t tunes = 5) {
    if (tunes) writeLibrary(tunes);
    ASSERT_TRUE(startLumaroll());
    window = qobject_cast<QMainWindow*>(qtToolboxWindow(kMainWindow));
    list = qobject_cast<QTreeView*>(qtToolboxControl(kMainWindow, kListControl));
    ASSERT_TRUE(window && list);
    QCoreApplication::processEvents();
  }
  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  template <class W>
  static W* control(std::int16_t id) {
    return qobject_cast<W*>(qtToolboxControl(kMainWindow, id));
  }
  Names names() const {
    Names r;
    for (int row = 0; row < list->model()->rowCount(); ++row)
      r.push_back(list->model()->index(row, 3).data().toString().toStdString());
    return r;
  }
  void clickHeader(const char* title) {
    QHeaderView* h = list->header();
    int c = 0;
    while (c < h->count() && list->model()->headerData(c, Qt::Horizontal).toString() != title) ++c;
    ASSERT_LT(c, h->count()) << "no column " << title;
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, {h->sectionViewportPosition(c) + h->sectionSize(c) / 2, 5});
  }
  QMenu* menu(int i) const { return window->menuBar()->actions()[i]->menu(); }
  // The item of menu m with this text; nullptr when it has none.
  QAction* action(int m, const char* text) const {
    for (QAction* a : menu(m)->actions())
      if (a->text() == text) return a;
    return nullptr;
  }
  void openEditor(int row, const char* text) const {
    const QModelIndex cell = list->model()->index(row, 3);
    list->setCurrentIndex(cell);
    list->edit(cell);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QString::fromUtf8(text));
  }
  TempDir dir;
  QMainWindow* window = nullptr;
  QTreeView* list = nullptr;
};

}  // namespace

TEST_F(Widgets, MainWindowBuildsItsControlsAndMenusKeepsItsMinimumSizeAndItsHeadersSort) {
  start();
  EXPECT_TRUE(window->isVisible());
  for (std::int16_t id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16}) {
    auto* b = control<QToolButton>(id);
    EXPECT_TRUE(b && !b->icon().isNull() && !b->toolTip().isEmpty()) << "button " << id;
  }
  auto* slider = control<QSlider>(kVolumeSlider);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(std::pair(slider->maximum(), slider->value()), std::pair(730, 273));
  slider->setValue(400);  // the volume slider acts while it moves
  EXPECT_EQ(gPlayerVolume_S, 400);

  window->resize(600, 300);
  QCoreApplication::processEvents();
  ToolboxRect r;
  ASSERT_TRUE(toolboxGetWindowContentRect(kMainWindow, r));
  EXPECT_TRUE(r.width >= 973 && r.height >= 500) << r.width << "x" << r.height;
  toolboxSetWindowContentRect(kMainWindow, ToolboxRect{r.left, r.top, 1300, 700});
  QCoreApplication::processEvents();
  EXPECT_EQ(qtToolboxControl(kMainWindow, 9)->geometry().x(), 1300 - 73) << "colour buttons keep to the right edge";

  // The menu bar holds the program's menus; submenus hang from their items.
  QStringList titles;
  for (QAction* a : window->menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles, (QStringList{"File", "Edit", "Playlists", "Player", "Help"})) << "submenus stay off the bar";
  QAction* artistGenre = action(1, "Set Genre For This Artist");
  ASSERT_TRUE(artistGenre && artistGenre->menu());
  EXPECT_EQ(artistGenre->menu()->actions().size(), 28);
  for (QAction* a : menu(2)->actions().back()->menu()->actions())
    EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
  EXPECT_EQ(menu(3)->actions()[6]->shortcut(), QKeySequence(Qt::ControlModifier | Qt::Key_BracketRight));
  gCurrentSelectedTune_L = 1;
  artistGenre->menu()->actions()[0]->trigger();  // through the dispatcher to the library
  EXPECT_EQ(gTunes_A[1].genre.view(), "Alternative Rock");

  // Header clicks sort; a search lists the matches.
  EXPECT_EQ(names(), kNames) << "by ID at first";
  clickHeader("Name");
  EXPECT_EQ(names(), (Names{"Cherry", "Mango", "Zebra", "apple", "banana"}));
  clickHeader("Name");  // the second click reverses
  EXPECT_EQ(names(), (Names{"banana", "apple", "Zebra", "Mango", "Cherry"}));
  clickHeader("E!");
  EXPECT_EQ(names(), kNames) << "by HPE";
  auto* field = control<QLineEdit>(kSearchField);
  field->setFocus();
  QTest::keyClicks(field, "moonlight");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(std::pair(gCurrentPlaylist_S, names()), std::pair(std::int16_t{8}, Names{"banana"}));
}

// A check box's click reaches the library and a double click starts a run
// at its row. Space on the list pauses and resumes the tune that sounds; on
// the position slider the arrow keys move the tune 5 seconds, and a text
// field keeps its Space.
TEST_F(Widgets, ClicksReachTheLibraryAndThePlayerAndKeysPauseAndMoveTheTune) {
  fakeMovieReset();
  fakeMovieScript("", {.duration = 600 * 100});  // the tunes here have no file path
  start();
  const QModelIndex cell = list->model()->index(2, 1);
  QStyleOptionViewItem opt;
  opt.initFrom(list);
  opt.rect = list->visualRect(cell);
  opt.features = QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, list);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  applicationPass();
  EXPECT_EQ(std::pair(+gTunes_A[3].checked, cell.data(Qt::CheckStateRole).toInt()), std::pair(0, +Qt::Unchecked));

  const QRect r = list->visualRect(list->model()->index(3, 4));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
  applicationPass();
  EXPECT_EQ(std::pair(gCurrentSelectedTune_L, gNowPlayingItemID_L), std::pair(4, 4)) << "the run starts at that row";
  for (int i = 0; i < 5 && !gNowPlayingMovie; ++i) runTasks(TickCount() + 100 * (i + 1));
  ASSERT_NE(gNowPlayingMovie, nullptr);
  auto* field = control<QLineEdit>(kSearchField);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Space);
  EXPECT_EQ(std::pair(+gTunePaused_S, field->text()), std::pair(0, QString(" ")));
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_TRUE(gTunePaused_S == 1 && IsMoviePaused(gNowPlayingMovie));
  auto* slider = control<QSlider>(kPositionSlider);
  ASSERT_TRUE(slider && slider->isEnabled());
  EXPECT_EQ(slider->maximum(), 600 * 100);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(fakeMovieCalls().back(), (FakeMovieCall{FakeMovieCallKind::seek, "", 2 * kPositionStep}));
  QTest::keyClick(slider, Qt::Key_Space);
  EXPECT_EQ(gTunePaused_S, 0);
}

// A full library is listed whole; an empty one opens the first-time window.
TEST_F(Widgets, FullAndEmptyLibrariesStartAndPaint) {
  start(kMaxTunes);
  EXPECT_EQ(list->model()->rowCount(), kMaxTunes);
  EXPECT_TRUE(control<QLabel>(kSummaryText)->text().startsWith(QString::fromUtf8("Tunes: 30000  \u2022  Time:")));
  EXPECT_FALSE(windowExists(kFirstTimeWindow) || window->grab().isNull());
  TearDown();
  SetUp();
  std::filesystem::remove(libraryFilePath());
  start(0);
  EXPECT_TRUE(list->model()->rowCount() == 0 && windowExists(kFirstTimeWindow) && fileExists(prefsFilePath()) &&
              !window->grab().isNull());
  EXPECT_EQ(control<QLabel>(kSummaryText)->text(), QString::fromUtf8("Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB"));
}

// An edit is written to its tune. An open editor when the list is renumbered
// or refilled: its text belongs to the tune it was opened on, never to the
// tune that takes over its row. The close box saves them all.
TEST_F(Widgets, EditsEndOnTheirOwnTuneWhenTheListChanges) {
  start();
  openEditor(1, "Z\u00E8bre");
  QTest::keyClick(list->viewport()->findChild<QLineEdit*>(), Qt::Key_Return);
  QCoreApplication::processEvents();  // the edit is committed from the event queue
  EXPECT_EQ(gTunes_A[2].title, "Z\217bre");

  openEditor(1, "Edited");
  ASSERT_EQ(gCurrentSelectedTune_L, 2);
  action(1, "Delete Tune")->trigger();
  settle();
  Names library;
  for (std::int32_t i = 1; i <= gStartTotalTunes_L; ++i) library.push_back(gTunes_A[i].title.str());
  EXPECT_EQ(library, (Names{"apple", "Mango", "banana", "Cherry"})) << "the deleted tune's edit goes with it";
  EXPECT_EQ(names(), library);

  openEditor(2, "Banana Split");      // tune 3
  action(2, "All Tunes")->trigger();  // the list is emptied and refilled
  settle();
  EXPECT_EQ(names(), (Names{"apple", "Mango", "Banana Split", "Cherry"})) << "committed, not dropped with the rows";

  EXPECT_THROW(window->close(), ProgramExit);  // the close box saves and ends
  gTunes_A[3].title.assign("");
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(gTunes_A[3].title.view(), "Banana Split");
}
