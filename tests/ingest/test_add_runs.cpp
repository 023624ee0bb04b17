// The add runs as the program starts and ends them: Stop, a full library,
// the folder chooser, the first-time window with the automatic add, the
// saving window, a run's texts, report and ending, and the folders given on
// the program's command line.
#include <cstdio>
#include <cstdlib>
#include <set>

#include "ingest/save_alerts.h"
#include "ingest/windows.h"
#include "ingest_fixture.h"
#include "playlists/main_window_fixture.h"

namespace {

// The justAdded flags of the library, one digit a tune.
std::string justAdded() {
  std::string flags;
  for (std::int32_t i = 1; i <= gStartTotalTunes_L; ++i) flags += std::to_string(gTunes_A[i].justAdded);
  return flags;
}

}  // namespace

TEST_F(AddRunTest, StopKeepsWhatWasAddedAndMakesItLastAdded) {
  for (int i = 1; i <= 4; ++i) tune("t" + std::to_string(i) + ".mp3", "New " + std::to_string(i));
  preload(3);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  startTask(addTunes({music()}));
  // Stop pressed while the second file is analysed takes effect once that
  // file is done (the window had no turn in between), and the file is kept.
  runAll([] {
    if (gWeAeAddingTunes_S == 1 && addRunStats().filesSeen == 2) gStopCollectingPerUser_S = 1;
  });
  EXPECT_EQ(titles(4), (Names{"New 1", "New 2"}));
  EXPECT_EQ(savedRecords(), 5u);
  std::int32_t colours = 0;
  for (std::int32_t c = 1; c <= 9; ++c) colours += *colourCounter(c);
  EXPECT_EQ(colours, 5);
  EXPECT_EQ(gStopCollectingPerUser_S, 0);
  EXPECT_FALSE(addRunActive());
  // The run's tunes alone are the Last Added; the next run goes on with the rest.
  EXPECT_EQ(justAdded(), "00011");
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(titles(4), (Names{"New 1", "New 2", "New 3", "New 4"}));
  EXPECT_EQ(justAdded(), "0000011");
}

TEST_F(AddRunTest, FullLibraryClaimsNothing) {
  tune("a.mp3", "A");
  tune("b.mp3", "B");
  gMaxTunes_L = 3;
  preload(3);
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(gTotalTunes_L, 3);
  EXPECT_EQ(addRunStats().filesSeen, 0);
  EXPECT_EQ(headlessToolbox().beeps, 1);
  showDeferredAlerts();  // the window says why nothing was added
  EXPECT_TRUE(headlessToolbox().logged("stop:Your Library Is Full|"));

  // One place left: the run ends after the item that fills it.
  gTotalTunes_L = gStartTotalTunes_L = 2;
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(titles(3), (Names{"A"}));
  EXPECT_EQ(addRunStats().filesSeen, 1);
  EXPECT_TRUE(addRunStats().libraryFull);  // b.mp3 was left out
}

// A cancelled chooser starts nothing; a second request while a run is on
// neither asks for a folder nor starts a second run.
TEST_F(AddRunTest, ChooserCancelledOrRunAlreadyActive) {
  tune("a.mp3", "A");
  headlessToolbox().chosenFolders = {"", music(), music()};
  for (int i = 0; i < 3; ++i) startAddTunes();  // cancelled, chosen, and again while the run is on
  startAddTunesFromMusicFolder();
  EXPECT_EQ(activeTaskCount(), 1u);
  EXPECT_EQ(headlessToolbox().chosenFolders.size(), 1u);
  runAll();
  EXPECT_EQ(titles(), (Names{"A"}));
}

// "No" adds nothing; "Yes." adds the iTunes folder first (a link into it
// followed), then the rest of the Music folder, and leaves no file behind.
TEST_F(AddRunTest, FirstTimeWindowStartsTheAutomaticAdd) {
  const std::string home = dir.file("home"), savedHome = std::getenv("HOME") ? std::getenv("HOME") : "/";
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);  // no user folder settings
  std::filesystem::create_directories(home + "/Music/iTunes/iTunes Music");
  std::filesystem::create_directory_symlink(music(), home + "/Music/iTunes/iTunes Music/linked");
  tune("itunes.mp3", "From iTunes");
  tune("../home/Music/plain.mp3", "Plain");
  buildFirstTimeWindow();
  ASSERT_EQ(gAddSystemFontsNow_S, 1) << "Yes. is chosen";
  gAddSystemFontsNow_S = 0;
  firstTimeWindowDone();
  EXPECT_FALSE(windowExists(kFirstTimeWindow));
  EXPECT_FALSE(addRunActive());
  buildFirstTimeWindow();
  firstTimeWindowDone();
  runAll();
  EXPECT_EQ(titles(), (Names{"From iTunes", "Plain"}));
  EXPECT_FALSE(fileExists(home + "/Music/iTunes/iTunes Music/Runemark.txt"));
  ::setenv("HOME", savedHome.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(AddRunTest, SavingWindowTakesTheSelectedTunesColour) {
  gPlaylistTunes_A[2].colourGreen = 0xAD00;
  gCurrentSelectedTune_L = 2;
  makeSavingDBTunesWindow();
  HeadlessWindow* w = headlessToolbox().window(kSavingWindow);
  ASSERT_NE(w, nullptr);
  EXPECT_NEAR(w->opacity, 33 * 0.027, 1e-9);  // faded in
  EXPECT_EQ(w->controls.begin()->second.notice.innerColour.green, 0xAD00);
  gAddingWindowIsOpen_S = 0;
}

// One run from its first text to its report and the holiday pass, then the
// same folder again. The untitled tune directly in the chosen folder is met by
// both passes and enters once; after its texts changed, its full path alone
// refuses it. The Files Not Added window lists each left-out file with its
// reason until the next run replaces the list.
TEST_F(AddRunTest, ARunsTextsReportAndHolidayPassThenTheSameFileIsRefused) {
  buildMainWindowForTests();
  tune("a.mp3", "");
  tune("b.mp3", "B", 20);
  writeFileBytes(music() + "c.txt", "notes");
  preload(2, "Xmas Songs");
  std::set<std::string> sheetTexts;
  startTask(addTunes({music()}));
  runAll([&] {
    if (const HeadlessWindow* w = headlessToolbox().window(kSheetWindow))
      for (const auto& [id, c] : w->controls) sheetTexts.insert(c.desc.text);
  });
  EXPECT_TRUE(sheetTexts.count("Analyzing and Adding Tunes To Your Library..."));
  const Names expected = {"text:1/1000=Activity: Scanning for music files...",
                          "text:4000/55=Scanning for music files... please wait...",
                          "text:4000/56=Total Tunes:  2",
                          "text:4000/55=Adding: Unknown",
                          "text:4000/56=Total Tunes:  3",
                          "text:1/1000=Activity: Cleaning up...",
                          "text:1/1000=Activity: 1 tune added, 2 files left out"};
  // In this order, whatever else comes between.
  auto next = expected.begin();
  for (const std::string& entry : headlessToolbox().log)
    if (next != expected.end() && entry == *next) ++next;
  EXPECT_EQ(next, expected.end()) << "missing or out of order: " << *next;
  // The holiday pass starts at the last tune committed before the run.
  EXPECT_EQ(gTunes_A[1].genre.view(), "Rock");
  EXPECT_EQ(gTunes_A[2].genre.view(), "Holiday & Seasonal");
  EXPECT_EQ(titles(3), (Names{"Unknown"}));
  auto& tb = headlessToolbox();
  showLeftOutWindow();
  EXPECT_EQ(tb.control(kLeftOutWindow, kLeftOutList)->desc.text,
            "1 tune added, 2 files left out.\n"
            "  1 too short (26 s or less)\n"
            "  1 not an MP3, M4A, FLAC, Ogg or Opus file\n\n" +
                music() + "b.mp3\n    too short (26 s or less): 20 s\n" + music() +
                "c.txt\n    not an MP3, M4A, FLAC, Ogg or Opus file\n");

  gTunes_A[3].artist.assign("Retagged");
  gTunes_A[3].title.assign("Renamed");
  std::filesystem::remove(music() + "b.mp3");
  std::filesystem::remove(music() + "c.txt");
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(titles(3), (Names{"Renamed"})) << "the same full path: refused";
  EXPECT_EQ(tb.control(kMainWindow, kActivityText)->desc.text, "Activity: 0 tunes added, 1 file left out");
  showLeftOutWindow();
  EXPECT_EQ(tb.control(kLeftOutWindow, kLeftOutList)->desc.text,
            "0 tunes added, 1 file left out.\n  1 already in the library\n\n" + music() +
                "a.mp3\n    already in the library\n");
}

// Folders are kept, absolute and ending in "/"; anything else is named on the
// error stream, one line each. A run of the menu command is still going when
// the command-line runs start: they wait for it, then go one at a time.
TEST_F(AddRunTest, CommandLineFoldersAreCheckedThenAddedOneRunAfterAnother) {
  const std::string file = tune("a/one.mp3", "A1");
  tune("b/one.mp3", "B1");
  tune("b/deeper/two.mp3", "B2");
  tune("c/one.mp3", "C1");
  char* said = nullptr;
  std::size_t size = 0;
  std::FILE* err = ::open_memstream(&said, &size);
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.path() / "music");
  const Names folders = commandLineFolders({"b", file, music() + "missing", "", "./b/../b/", "c"}, err);
  std::filesystem::current_path(saved);
  std::fclose(err);
  const std::string text(said, size);
  std::free(said);
  const std::string b = std::filesystem::canonical(music() + "b").string() + "/";
  EXPECT_EQ(folders, (Names{b, b, std::filesystem::canonical(music() + "c").string() + "/"}));
  EXPECT_EQ(text, "lumaroll: " + file + " is not a folder; left out\nlumaroll: " + music() +
                      "missing is not a folder; left out\nlumaroll:  is not a folder; left out\n");

  gCurrentPlaylist_S = kPlaylistAllTunes;
  startTask(addTunes({music() + "a/"}));
  startTask(addTunesOfFolders(folders));
  runAll();
  // Each run ends before the next begins, its size shown in the All Tunes
  // summary line: its own tunes, and no more (the folder given twice has
  // nothing left the second time).
  std::vector<std::int32_t> totals;
  for (const std::string& line : headlessToolbox().log)
    if (line.starts_with("text:1/1001=Tunes: ")) totals.push_back(std::stoi(line.substr(19)));
  EXPECT_EQ(totals, (std::vector<std::int32_t>{1, 3, 3, 4}));
  EXPECT_EQ(titles(), (Names{"A1", "B1", "B2", "C1"}));
  EXPECT_EQ(savedRecords(), 4u);
  EXPECT_FALSE(addRunActive());
}
