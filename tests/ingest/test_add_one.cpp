// One add run over a generated tree: which files become tunes, in which
// order, and what a run survives (odd names, links back into the tree,
// folders that cannot be listed, paths too long to keep).
#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ingest_fixture.h"

namespace {

// A chain of folders whose full path is longer than the system accepts, so
// that listing its last folder fails even for the superuser.
void makeTooDeepChain(const std::string& top) {
  std::filesystem::create_directories(top);
  int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 20 && fd >= 0; ++i) {
    ::mkdirat(fd, std::string(250, 'd').c_str(), 0755);
    const int next = ::openat(fd, std::string(250, 'd').c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ASSERT_GE(fd, 0);
  ::close(fd);
}

}  // namespace

TEST_F(AddRunTest, NameRulesOrderLinksAndOddPaths) {
  tune("song.MP3", "Song");
  tune("track.mp4", "Mp4", 28, MediaFormat::m4a);
  tune("track.aac", "Aac", 28, MediaFormat::m4a);
  tune("TRACK.M4A", "Track", 28, MediaFormat::m4a);
  // FFmpeg's Vorbis comments, UTF-8 titles.
  tune("v/c.flac", "Caf\xC3\xA9 FLAC", 28, MediaFormat::flac);
  tune("v/d.ogg", "Caf\xC3\xA9 OGG", 28, MediaFormat::vorbis);
  tune("v/e.opus", "Caf\xC3\xA9 OPUS", 28, MediaFormat::opus);
  const std::string longName = "L" + std::string(66, 'o') + "ng.mp3";
  tune(longName, "Long");
  tune("short.mp3", "Short", 26.9);
  tune("exact.mp3", "Exact", 27.0);
  tune("a/1.mp3", "A1");
  tune("a/c/3.mp3", "AC3");
  std::filesystem::create_directory_symlink("../..", dir.path() / "music/a/c/loop");
  std::filesystem::create_directory_symlink("..", dir.path() / "music/a/up");
  const std::string oddName = "odd \"q\" 'x'\n\xff.mp3";
  const std::string odd = tune("b/" + oddName, "Odd");
  tune("b/" + std::string(200, 'p') + "/" + std::string(60, 'q') + ".mp3", "TooLong");
  makeTooDeepChain(music() + "d");
  tune("z/last.mp3", "Last");
  ASSERT_EQ(::mkfifo((music() + "z/pipe.mp3").c_str(), 0644), 0);  // nobody ever writes to it

  // One analysis thread: the run then takes a fixed number of passes, so the
  // throttled progress line below is counted against ticks, not against how
  // long a busy machine keeps the workers.
  const ThreadsSetting oneThread("1");
  startTask(addTunes({music()}));
  runAll();

  // First the files of the chosen folder, then everything again in name
  // order with each folder where it stands; files met twice are refused as
  // duplicates the second time.
  EXPECT_EQ(titles(), (Names{"Long", "Track", "Exact", "Song", "A1", "AC3", "Odd", "Caf\x8E FLAC", "Caf\x8E OGG",
                             "Caf\x8E OPUS", "Last"}));
  EXPECT_EQ(savedRecords(), 11u);
  EXPECT_FALSE(addRunActive());
  EXPECT_EQ(gTunes_A[1].fileName.view(), longName.substr(0, 63));
  EXPECT_EQ(gTunes_A[1].filePath.view(), music() + longName);
  // Read by the MP3, M4A and Vorbis-comment readers.
  for (const auto& [k, kind] : {std::pair{1, 1}, {2, 4}, {8, 5}, {9, 6}, {10, 7}})
    EXPECT_EQ(+gTunes_A[k].fileKind, kind);
  EXPECT_EQ(+gTunes_A[3].durationSeconds, 27);
  // Odd bytes are kept as they are, so the file can be opened again.
  EXPECT_EQ(gTunes_A[7].filePath.view(), odd);
  for (std::int32_t i = 1; i <= 11; ++i) EXPECT_EQ(+gTunes_A[i].permID, static_cast<std::uint32_t>(i)) << i;

  // The run's texts and its ending.
  auto& tb = headlessToolbox();
  // The last count is shown, though the line is throttled; the menus come back.
  for (const char* line :
       {"text:4000/55=Adding: Long", "text:4000/56=Total Tunes:  11", "menuenabled:1/0=0", "menuenabled:4/0=1"})
    EXPECT_TRUE(tb.logged(line)) << line;
  // Eleven tunes within a few quarters of a second's ticks: the run's own
  // line is not rewritten per tune.
  EXPECT_LE(std::count_if(tb.log.begin(), tb.log.end(),
                          [](const std::string& l) { return l.starts_with("text:4000/55=Adding: "); }),
            6);
  EXPECT_TRUE(tb.log.back().starts_with("text:1/1001=Tunes: 11 ")) << "the rebuilt playlist is shown last";
  EXPECT_FALSE(windowExists(kSheetWindow));
}

TEST(KeepsStrongBins, MoreThanSevenAndFewerThanSixtyThousand) {
  for (const auto& [bins, kept] : {std::pair{0, false}, {7, false}, {8, true}, {59999, true}, {60000, false}})
    EXPECT_EQ(keepsStrongBins(bins), kept) << bins;
}
