// The folders given on the program's command line: which arguments count,
// and their add runs one after another.
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ingest_fixture.h"

namespace {

using Names = std::vector<std::string>;

// What a function wrote to a stream, read back.
std::string readAll(std::FILE* f) {
  std::rewind(f);
  std::string text;
  char buf[512];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  return text;
}

// The library's size at the end of each run.
// The library's size at the end of each run, from the summary line of the
// All Tunes playlist that each run's end shows.
std::vector<std::int32_t> totalsAtRunEnd() {
  std::vector<std::int32_t> totals;
  const std::string prefix = "text:1/1001=Tunes:";
  for (const std::string& line : headlessToolbox().log)
    if (line.rfind(prefix, 0) == 0) totals.push_back(std::stoi(line.substr(prefix.size())));
  return totals;
}

}  // namespace

TEST_F(AddRunTest, CommandLineKeepsFoldersAndReportsTheRest) {
  tune("a/one.mp3", "A1");
  const std::string file = tune("a/two.mp3", "A2");
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  const Names folders = commandLineFolders({music() + "a", file, music() + "missing", "", music() + "a/../a/"}, err);
  const std::string said = readAll(err);
  std::fclose(err);
  EXPECT_EQ(folders, (Names{music() + "a/", music() + "a/"}));
  EXPECT_NE(said.find(file + " is not a folder"), std::string::npos) << said;
  EXPECT_NE(said.find(music() + "missing is not a folder"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
}

TEST_F(AddRunTest, CommandLineFoldersBecomeAbsolute) {
  std::filesystem::create_directories(dir.path() / "music" / "rel");
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.path() / "music");
  const Names folders = commandLineFolders({"rel", "./rel/"}, nullptr);
  std::filesystem::current_path(saved);
  ASSERT_EQ(folders.size(), 2u);
  for (const std::string& f : folders) {
    EXPECT_TRUE(std::filesystem::path(f).is_absolute()) << f;
    EXPECT_TRUE(std::filesystem::equivalent(f, dir.path() / "music" / "rel")) << f;
    EXPECT_EQ(f.back(), '/');
  }
}

TEST_F(AddRunTest, CommandLineFoldersAddOneRunAfterAnother) {
  tune("a/one.mp3", "A1");
  tune("b/one.mp3", "B1");
  tune("b/deeper/two.mp3", "B2");
  tune("c/one.mp3", "C1");
  gCurrentPlaylist_S = kPlaylistAllTunes;

  // A run of the menu command is still going when the command-line runs
  // start: they wait for it, then go one at a time.
  startTask(addTunes({music() + "a/"}));
  startTask(addTunesOfFolders(commandLineFolders({music() + "b", music() + "c"}, nullptr)));
  runAll();
  // Each run ends before the next begins: its own tunes, and no more.
  EXPECT_EQ(totalsAtRunEnd(), (std::vector<std::int32_t>{1, 3, 4}));
  EXPECT_EQ(titles(), (Names{"A1", "B1", "B2", "C1"}));
  EXPECT_EQ(savedRecords(), 4u);
  EXPECT_FALSE(addRunActive());
}

TEST_F(AddRunTest, NoCommandLineFoldersStartsNothing) {
  startAddTunesOfFolders({});
  EXPECT_EQ(activeTaskCount(), 0u);
  EXPECT_FALSE(addRunActive());
}
