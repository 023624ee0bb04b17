// The folders given on the program's command line: which arguments count,
// and their add runs one after another.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ingest_fixture.h"

namespace {

using Names = std::vector<std::string>;

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

// Folders are kept, absolute and ending in "/"; anything else is named on the
// error stream, one line each.
TEST_F(AddRunTest, CommandLineKeepsFoldersAndReportsTheRest) {
  const std::string file = tune("rel/two.mp3", "A2");
  char* said = nullptr;
  std::size_t size = 0;
  std::FILE* err = ::open_memstream(&said, &size);
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.path() / "music");
  const Names folders = commandLineFolders({"rel", file, music() + "missing", "", "./rel/../rel/"}, err);
  std::filesystem::current_path(saved);
  std::fclose(err);
  const std::string text(said, size);
  std::free(said);
  ASSERT_EQ(folders.size(), 2u);
  for (const std::string& f : folders) {
    EXPECT_TRUE(std::filesystem::path(f).is_absolute()) << f;
    EXPECT_TRUE(std::filesystem::equivalent(f, music() + "rel")) << f;
    EXPECT_EQ(f.back(), '/');
  }
  EXPECT_NE(text.find(file + " is not a folder"), std::string::npos) << text;
  EXPECT_NE(text.find(music() + "missing is not a folder"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << text;
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
