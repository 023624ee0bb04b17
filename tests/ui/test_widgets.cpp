// The main window on real widgets (offscreen platform).
#include <gtest/gtest.h>

#include <QAbstractItemView>
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
#include <cstdio>

#include "app/app.h"
#include "core/appstate.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/prefs.h"
#include "core/tasks.h"
#include "library/database.h"
#include "library/tune.h"
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
void throwExit(int status) { throw ProgramExit{status}; }

void writeLibrary(std::int32_t n) {
  static const char* const names[] = {"apple", "Zebra", "Mango", "banana", "Cherry"};
  for (std::int32_t i = 1; i <= n; ++i) {
    Tune& t = gTunes_A[i];
    t = Tune{};
    t.title.assign(std::string(names[(i - 1) % 5]) + (i > 5 ? " " + std::to_string(i) : ""));
    t.artist.assign("Artist");
    t.album.assign(i == 4 ? "Moonlight" : "Album");
    t.genre.assign("Rock");
    t.durationText.assign("3:00");
    t.hpe = 1000 * i;
    t.colourCategory = 1 + i % 9;
    t.colourRed = 0x8000;
    t.checked = 1;
    t.fileKind = 1;
    t.permID = static_cast<std::uint32_t>(i);
  }
  gTotalTunes_L = gStartTotalTunes_L = n;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  gTotalTunes_L = gStartTotalTunes_L = 0;
}

class Widgets : public ::testing::Test {
 protected:
  void SetUp() override {
    gExitHook = throwExit;
    qtToolboxSetAlertResponder([](std::string_view) { return true; });
    setLibraryFilePath(dir.file("Lumaroll/LumarollDatabase"));
    setPrefsFilePath(dir.file("Orvane-Lumaroll/LumarollPrefs"));
  }
  void TearDown() override {
    toolboxCloseWindow(kMainWindow);
    toolboxCloseWindow(kAboutWindow);
    disposeKWED3rowser();
    cancelAllTasks();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    gExitHook = nullptr;
    setLibraryFilePath("");
    setPrefsFilePath("");
  }
  void start(std::int32_t tunes) {
    if (tunes) writeLibrary(tunes);
    ASSERT_TRUE(startLumaroll());
    window = qobject_cast<QMainWindow*>(qtToolboxWindow(kMainWindow));
    ASSERT_NE(window, nullptr);
    list = qobject_cast<QTreeView*>(qtToolboxControl(kMainWindow, kListControl));
    ASSERT_NE(list, nullptr);
    QCoreApplication::processEvents();
  }
  std::vector<std::string> names() {
    std::vector<std::string> r;
    for (int row = 0; row < list->model()->rowCount(); ++row)
      r.push_back(list->model()->index(row, 3).data().toString().toStdString());
    return r;
  }
  void clickHeader(const char* title) {
    QHeaderView* h = list->header();
    for (int c = 0; c < h->count(); ++c)
      if (list->model()->headerData(c, Qt::Horizontal).toString() == title) {
        const int x = h->sectionViewportPosition(c) + h->sectionSize(c) / 2;
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
        return;
      }
    FAIL() << "no column " << title;
  }
  TempDir dir;
  QMainWindow* window = nullptr;
  QTreeView* list = nullptr;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(Widgets, MainWindowBuildsWithEveryControl) {
  start(5);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Lumaroll");
  for (std::int16_t id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16}) {
    auto* b = qobject_cast<QToolButton*>(qtToolboxControl(kMainWindow, id));
    ASSERT_NE(b, nullptr) << "button " << id;
    EXPECT_FALSE(b->icon().isNull()) << "button " << id;
    EXPECT_FALSE(b->toolTip().isEmpty()) << "button " << id;
  }
  EXPECT_NE(qobject_cast<QLineEdit*>(qtToolboxControl(kMainWindow, kSearchField)), nullptr);
  auto* slider = qobject_cast<QSlider*>(qtToolboxControl(kMainWindow, 17));
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->maximum(), 730);
  EXPECT_EQ(slider->value(), 273);
  EXPECT_EQ(qobject_cast<QLabel*>(qtToolboxControl(kMainWindow, kActivityText))->text(), "Activity: None");
  EXPECT_TRUE(qobject_cast<QLabel*>(qtToolboxControl(kMainWindow, kSummaryText))->text().startsWith("Tunes: 5 "));
  EXPECT_EQ(list->model()->rowCount(), 5);
  EXPECT_EQ(list->model()->columnCount(), 11);
  EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), "E!");
  EXPECT_EQ(list->model()->headerData(8, Qt::Horizontal).toString(), "Smart-Plays");
  ASSERT_NE(window->menuBar(), nullptr);
  EXPECT_EQ(window->menuBar()->actions().front()->text(), "File");
  // The volume slider acts while it moves.
  slider->setValue(400);
  EXPECT_EQ(gPlayerVolume_S, 400);
}

TEST_F(Widgets, ResizingBelowTheMinimumSnapsBack) {
  start(5);
  window->resize(600, 300);
  QCoreApplication::processEvents();
  ToolboxRect r;
  ASSERT_TRUE(toolboxGetWindowContentRect(kMainWindow, r));
  EXPECT_GE(r.width, 973);
  EXPECT_GE(r.height, 500);
  toolboxSetWindowContentRect(kMainWindow, ToolboxRect{r.left, r.top, 1300, 700});
  QCoreApplication::processEvents();
  ASSERT_TRUE(toolboxGetWindowContentRect(kMainWindow, r));
  EXPECT_EQ(r.width, 1300);
  const QRect summary = qtToolboxControl(kMainWindow, kSummaryText)->geometry();
  EXPECT_EQ(summary.x(), 1300 / 2 - 200);
  EXPECT_EQ(summary.y(), 700 - 23);
  // Colour buttons keep their distance to the right and bottom edges.
  EXPECT_EQ(qtToolboxControl(kMainWindow, 9)->geometry().x(), 1300 - 73);
  EXPECT_EQ(list->geometry().height(), 700 - 73 - 32);
}

TEST_F(Widgets, HeaderClicksSortByTheColumn) {
  start(5);
  EXPECT_EQ(names(), (Names{"apple", "Zebra", "Mango", "banana", "Cherry"})) << "by ID at first";
  clickHeader("Name");
  EXPECT_EQ(names(), (Names{"Cherry", "Mango", "Zebra", "apple", "banana"}));
  clickHeader("Name");  // the second click reverses
  EXPECT_EQ(names(), (Names{"banana", "apple", "Zebra", "Mango", "Cherry"}));
  clickHeader("E!");
  EXPECT_EQ(names(), (Names{"apple", "Zebra", "Mango", "banana", "Cherry"})) << "by HPE";
}

TEST_F(Widgets, CheckBoxClickReachesTheLibrary) {
  start(5);
  const QModelIndex cell = list->model()->index(2, 1);
  QStyleOptionViewItem opt;
  opt.initFrom(list);
  opt.rect = list->visualRect(cell);
  opt.features = QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, list);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  EXPECT_EQ(gCheckCurrent_L, 1);
  EXPECT_EQ(gCheckedItem_L, 3);
  applicationPass();
  EXPECT_EQ(gTunes_A[3].checked, 0);
  EXPECT_EQ(gPlaylistTunes_A[3].checked, 0);
  EXPECT_EQ(cell.data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST_F(Widgets, InPlaceEditIsWrittenToTheLibrary) {
  start(5);
  const QModelIndex cell = list->model()->index(1, 3);
  list->setCurrentIndex(cell);
  list->edit(cell);
  auto* editor = list->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QString::fromUtf8("Z\u00E8bre"));
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the edit is committed from the event queue
  EXPECT_EQ(gTunes_A[2].title,
            "Z\x8F"
            "bre");
  EXPECT_EQ(gCurrentSelectedTune_L, 2);
}

TEST_F(Widgets, ReturnInTheSearchFieldListsTheMatches) {
  start(5);
  auto* field = qobject_cast<QLineEdit*>(qtToolboxControl(kMainWindow, kSearchField));
  field->setFocus();
  QTest::keyClicks(field, "moonlight");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(gCurrentPlaylist_S, 8);
  EXPECT_EQ(names(), (Names{"banana"}));
}

TEST_F(Widgets, DoubleClickRequestsPlayingThatRow) {
  start(5);
  const QRect r = list->visualRect(list->model()->index(3, 4));
  fakeMovieScript("", {.duration = 600});  // the tunes here have no file path
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
  applicationPass();
  EXPECT_EQ(gCurrentSelectedTune_L, 4);
  EXPECT_EQ(gDoubleClick_S, 0);
  EXPECT_EQ(gNowPlayingItemID_L, 4) << "the run starts at that row";
  gStopPlaying_S = 1;  // the run ends as Stop ends it
  for (int i = 0; i < 5 && playRunActive(); ++i) runTasks(TickCount() + 100 * (i + 1));
}

TEST_F(Widgets, FullAndEmptyLibrariesStartAndPaint) {
  start(kMaxTunes);
  EXPECT_EQ(list->model()->rowCount(), kMaxTunes);
  EXPECT_FALSE(window->grab().isNull());
  TearDown();
  SetUp();
  std::remove(libraryFilePath().c_str());
  start(0);
  EXPECT_EQ(list->model()->rowCount(), 0);
  EXPECT_EQ(qobject_cast<QLabel*>(qtToolboxControl(kMainWindow, kSummaryText))->text(),
            QString::fromUtf8("Tunes: 0 \u2022 Time: 0 secs \u2022 Size: 0 MB"));
  EXPECT_FALSE(window->grab().isNull());
}

TEST_F(Widgets, CloseBoxSavesAndEnds) {
  start(5);
  gTunes_A[1].playCount = 7;
  int status = -1;
  try {
    window->close();
  } catch (const ProgramExit& e) {
    status = e.status;
  }
  EXPECT_EQ(status, 0);
  gTunes_A[1].playCount = 0;
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(gTunes_A[1].playCount, 7);
}

TEST_F(Widgets, MenuBarHoldsTheProgramsMenusWithTheirSubmenus) {
  start(5);
  QStringList titles;
  for (QAction* a : window->menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles, (QStringList{"File", "Edit", "Playlists", "Player", "Help"})) << "submenus stay off the bar";
  QMenu* edit = window->menuBar()->actions()[1]->menu();
  ASSERT_NE(edit, nullptr);
  QAction* artistGenre = nullptr;
  for (QAction* a : edit->actions())
    if (a->text() == "Set Genre For This Artist") artistGenre = a;
  ASSERT_NE(artistGenre, nullptr);
  ASSERT_NE(artistGenre->menu(), nullptr);
  EXPECT_EQ(artistGenre->menu()->actions().size(), 28);
  // Doubled, the '&' is shown as itself rather than taken for a mnemonic.
  EXPECT_EQ(artistGenre->menu()->actions()[23]->text(), "R&&B");
  EXPECT_EQ(getMenuItemText(12, 24), "R&B");
  QMenu* playlists = window->menuBar()->actions()[2]->menu();
  QAction* energy = playlists->actions().back();
  ASSERT_NE(energy->menu(), nullptr);
  for (QAction* a : energy->menu()->actions()) EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
  QMenu* player = window->menuBar()->actions()[3]->menu();
  EXPECT_EQ(player->actions()[6]->shortcut(), QKeySequence(Qt::ControlModifier | Qt::Key_BracketRight));
  // Choosing a genre reaches the library through the dispatcher.
  gCurrentSelectedTune_L = 1;
  artistGenre->menu()->actions()[0]->trigger();
  EXPECT_EQ(gTunes_A[1].genre.view(), "Alternative Rock");
}

// An open editor when the list is renumbered or refilled: its text belongs to
// the tune it was opened on, never to the tune that takes over its row.
TEST_F(Widgets, OpenEditorEndsOnItsOwnTuneWhenTheListChanges) {
  start(5);
  auto openEditor = [&](int row, const char* text) {
    const QModelIndex cell = list->model()->index(row, 3);
    list->setCurrentIndex(cell);
    list->edit(cell);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(text);
  };
  auto choose = [&](int menu, const char* item) {
    for (QAction* a : window->menuBar()->actions()[menu]->menu()->actions())
      if (a->text() == item) return a->trigger();
    FAIL() << item;
  };
  auto settle = [] {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  };
  openEditor(1, "Edited");  // Zebra, tune 2
  ASSERT_EQ(gCurrentSelectedTune_L, 2);
  choose(1, "Delete Tune");
  settle();
  Names library;
  for (std::int32_t i = 1; i <= gStartTotalTunes_L; ++i) library.push_back(gTunes_A[i].title.str());
  EXPECT_EQ(library, (Names{"apple", "Mango", "banana", "Cherry"})) << "the deleted tune's edit goes with it";
  EXPECT_EQ(names(), library);

  openEditor(2, "Banana Split");  // tune 3
  choose(2, "All Tunes");         // the list is emptied and refilled
  settle();
  EXPECT_EQ(gTunes_A[3].title.view(), "Banana Split") << "committed, not dropped with the old rows";
  EXPECT_EQ(names(), (Names{"apple", "Mango", "Banana Split", "Cherry"}));
}

// Space on the list pauses and resumes the tune that sounds; on the
// position slider the arrow keys move the tune 5 seconds, and a text field
// keeps its Space.
TEST_F(Widgets, SpacePausesAndTheSliderKeysMoveTheTune) {
  fakeMovieReset();
  fakeMovieScript("", {.duration = 600 * 100});  // the tunes here have no file path
  start(5);
  gCurrentSelectedTune_L = 1;
  startPlayingFromButtons();
  for (int i = 0; i < 5 && !gNowPlayingMovie; ++i) runTasks(TickCount() + 100 * (i + 1));
  ASSERT_NE(gNowPlayingMovie, nullptr);
  auto* field = qobject_cast<QLineEdit*>(qtToolboxControl(kMainWindow, kSearchField));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Space);
  EXPECT_EQ(gTunePaused_S, 0);
  EXPECT_EQ(field->text(), " ");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(gTunePaused_S, 1);
  EXPECT_TRUE(IsMoviePaused(gNowPlayingMovie));
  auto* slider = qobject_cast<QSlider*>(qtToolboxControl(kMainWindow, kPositionSlider));
  ASSERT_NE(slider, nullptr);
  EXPECT_TRUE(slider->isEnabled());
  EXPECT_EQ(slider->maximum(), 600 * 100);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(fakeMovieCalls().back(), (FakeMovieCall{FakeMovieCallKind::seek, "", 2 * kPositionStep}));
  QTest::keyClick(slider, Qt::Key_Space);
  EXPECT_EQ(gTunePaused_S, 0);
  cancelAllTasks();
  gNowPlayingMovie = nullptr;
}
