// The add runs as the program starts and ends them: Stop, a quit in the
// middle, the checkpoint, a full library, the folder chooser, the first-time
// window with the automatic add, and the saving window.
#include <cstdlib>
#include <set>

#include "ingest/save_alerts.h"
#include "ingest/windows.h"
#include "ingest_fixture.h"
#include "playlists/builder.h"
#include "playlists/main_window_fixture.h"

namespace {

using Names = std::vector<std::string>;

std::int32_t colourTotal() {
  std::int32_t n = 0;
  for (std::int32_t c = 1; c <= 9; ++c) n += *colourCounter(c);
  return n;
}

// HOME at a folder of the test (and no user folder settings) for a while.
struct HomeFolder {
  explicit HomeFolder(const std::string& home) : saved(std::getenv("HOME") ? std::getenv("HOME") : "") {
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  }
  ~HomeFolder() {
    saved.empty() ? ::unsetenv("HOME") : ::setenv("HOME", saved.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::string saved;
};

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
  EXPECT_EQ(gStartTotalTunes_L, 5);
  EXPECT_EQ(savedRecords(), 5u);
  EXPECT_EQ(colourTotal(), 5);
  EXPECT_EQ(gStopCollectingPerUser_S, 0);
  EXPECT_FALSE(addRunActive());

  gCurrentPlaylist_S = kPlaylistLastAdded;
  buildCurrentPlaylist();
  ASSERT_EQ(gTotalPlaylistTunes_L, 2);
  const std::set<std::string> lastAdded{gPlaylistTunes_A[1].title.str(), gPlaylistTunes_A[2].title.str()};
  EXPECT_EQ(lastAdded, (std::set<std::string>{"New 1", "New 2"}));
  gCurrentPlaylist_S = kPlaylistAllTunes;

  // The next run goes on with the rest; its tunes alone are the Last Added.
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(titles(4), (Names{"New 1", "New 2", "New 3", "New 4"}));
  EXPECT_EQ(+gTunes_A[5].justAdded, 0);
  EXPECT_EQ(+gTunes_A[6].justAdded, 1);
}

TEST_F(AddRunTest, CheckpointSavesTheFileAQuitLeavesItThere) {
  preload(199);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  // Noise is classified as the 200th tune (a checkpoint), then refused for
  // its strong bins; the next file becomes the 200th tune.
  MediaRecipe s;
  s.content = MediaContent::noise;
  s.seconds = 28;
  s.tags = {"Noise", "Generator", "Tests", "Rock"};
  std::filesystem::create_directories(music());
  writeTestMedia(music() + "a noise.mp3", s);
  const std::string kept = tune("b.mp3", "Two Hundred");
  tune("c.mp3", "Two Hundred One");
  startTask(addTunes({music()}));
  while (gWeAeAddingTunes_S == 0 || addRunStats().tunesAdded < 1) runTasks(headlessToolbox().ticks++);
  // A confirmed quit ends the program without the run's ending.
  cancelAllTasks();
  EXPECT_EQ(savedRecords(), 200u);
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(gTunes_A[200].title.view(), "Two Hundred");
  // The checkpoint comes before the tune is accepted; its path is already there.
  EXPECT_EQ(gTunes_A[200].filePath.view(), kept);
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
  EXPECT_FALSE(addRunActive());
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

TEST_F(AddRunTest, ChooserCancelledOrRunAlreadyActive) {
  tune("a.mp3", "A");
  auto& tb = headlessToolbox();
  tb.chosenFolders = {""};
  startAddTunes();
  EXPECT_FALSE(addRunActive());
  EXPECT_EQ(activeTaskCount(), 0u);

  tb.chosenFolders = {music(), music()};
  startAddTunes();
  EXPECT_TRUE(addRunActive());
  startAddTunes();  // a second request while the first run is on
  startAddTunesFromMusicFolder();
  EXPECT_EQ(activeTaskCount(), 1u);
  EXPECT_EQ(tb.chosenFolders.size(), 1u);
  runAll();
  EXPECT_EQ(titles(), (Names{"A"}));
}

TEST_F(AddRunTest, FirstTimeWindowStartsTheAutomaticAdd) {
  const std::string home = dir.file("home");
  HomeFolder homeFolder(home);
  std::filesystem::create_directories(home + "/Music/iTunes/iTunes Music");
  std::filesystem::create_directory_symlink(music(), home + "/Music/iTunes/iTunes Music/linked");
  tune("itunes.mp3", "From iTunes");
  tune("../home/Music/plain.mp3", "Plain");
  std::filesystem::create_directories(home + "/Music/Sub");
  std::filesystem::create_directory_symlink(home + "/Music", home + "/Music/Sub/back");

  buildFirstTimeWindow();
  ASSERT_TRUE(windowExists(kFirstTimeWindow));
  EXPECT_EQ(getControlValue(kFirstTimeWindow, kFirstTimeYes), 1);
  EXPECT_EQ(getControlValue(kFirstTimeWindow, kFirstTimeNo), 0);
  EXPECT_EQ(gAddSystemFontsNow_S, 1);

  // "No, I will add my music myself." then Done: nothing is added.
  gAddSystemFontsNow_S = 0;
  firstTimeWindowDone();
  EXPECT_FALSE(windowExists(kFirstTimeWindow));
  EXPECT_FALSE(addRunActive());

  // Done with "Yes.": the iTunes folder first, then the rest of the Music folder.
  buildFirstTimeWindow();
  firstTimeWindowDone();
  EXPECT_EQ(gAddSystemFontsNow_S, 0);
  EXPECT_TRUE(addRunActive());
  runAll();
  EXPECT_EQ(titles(), (Names{"From iTunes", "Plain"}));
  EXPECT_EQ(savedRecords(), 2u);
  // No marker file is left in the user's folders.
  EXPECT_FALSE(fileExists(home + "/Music/iTunes/iTunes Music/Runemark.txt"));
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

TEST_F(AddRunTest, ARunShowsItsTextsAndEndsWithTheHolidayPassFromTheLastCommittedTune) {
  tune("a.mp3", "Fresh");
  preload(2);
  for (std::int32_t i : {1, 2}) {
    gTunes_A[i].genre.assign("Rock");
    gTunes_A[i].album.assign("Xmas Songs");
  }
  std::set<std::string> sheetTexts;
  startTask(addTunes({music()}));
  runAll([&] {
    const auto& windows = headlessToolbox().windows;
    if (const auto w = windows.find(kSheetWindow); w != windows.end())
      for (const auto& [id, c] : w->second.controls) sheetTexts.insert(c.desc.text);
  });
  EXPECT_TRUE(sheetTexts.count("Analyzing and Adding Tunes To Your Library..."));
  const Names expected = {"text:1/1000=Activity: Scanning for music files...",
                          "text:4000/55=Scanning for music files... please wait...",
                          "text:4000/56=Total Tunes:  2",
                          "text:4000/55=Adding: Fresh",
                          "text:4000/56=Total Tunes:  3",
                          "text:1/1000=Activity: Cleaning up...",
                          "text:1/1000=Activity: 1 tune added, 0 files left out"};
  // In this order, whatever else comes between.
  auto next = expected.begin();
  for (const std::string& entry : headlessToolbox().log)
    if (next != expected.end() && entry == *next) ++next;
  EXPECT_EQ(next, expected.end()) << "missing or out of order: " << *next;
  EXPECT_EQ(gTunes_A[1].genre.view(), "Rock");
  EXPECT_EQ(gTunes_A[2].genre.view(), "Holiday & Seasonal");
  EXPECT_EQ(gTunes_A[3].title.view(), "Fresh");
}

// The library holds a file once: an untitled tune directly in the chosen
// folder (met by both passes), and every tune again after its texts changed.
TEST_F(AddRunTest, AFileEntersTheLibraryOnce) {
  tune("untitled.mp3", "");
  tune("sub/titled.mp3", "Titled");
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(titles(), (Names{"Unknown", "Titled"}));
  gTunes_A[1].artist.assign("Retagged");
  gTunes_A[2].title.assign("Renamed");
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(titles(), (Names{"Unknown", "Renamed"})) << "same full paths: refused";
  EXPECT_EQ(gTunes_A[1].artist.view(), "Retagged");
}

// The run's report: the activity line counts what was added and left out,
// and the Files Not Added window lists each left-out file with its reason
// until the next run replaces the list.
TEST_F(AddRunTest, ActivityLineAndWindowReportTheFilesLeftOut) {
  makeTestWindow(kMainWindow, {kActivityText});
  tune("a.mp3", "A");
  tune("b.mp3", "B", 20);
  writeFileBytes(music() + "c.txt", "notes");
  startTask(addTunes({music()}));
  runAll();
  auto& tb = headlessToolbox();
  EXPECT_EQ(tb.control(kMainWindow, kActivityText)->desc.text, "Activity: 1 tune added, 2 files left out");
  showLeftOutWindow();
  ASSERT_TRUE(windowExists(kLeftOutWindow));
  EXPECT_EQ(tb.control(kLeftOutWindow, kLeftOutList)->desc.text,
            "1 tune added, 2 files left out.\n"
            "  1 too short (26 s or less)\n"
            "  1 not an MP3, M4A, FLAC, Ogg or Opus file\n\n" +
                music() + "b.mp3\n    too short (26 s or less): 20 s\n" + music() +
                "c.txt\n    not an MP3, M4A, FLAC, Ogg or Opus file\n");

  std::filesystem::remove(music() + "b.mp3");
  std::filesystem::remove(music() + "c.txt");
  startTask(addTunes({music()}));
  runAll();
  EXPECT_EQ(tb.control(kMainWindow, kActivityText)->desc.text, "Activity: 0 tunes added, 1 file left out");
  showLeftOutWindow();
  EXPECT_EQ(tb.control(kLeftOutWindow, kLeftOutList)->desc.text,
            "0 tunes added, 1 file left out.\n  1 already in the library\n\n" + music() +
                "a.mp3\n    already in the library\n");
}
