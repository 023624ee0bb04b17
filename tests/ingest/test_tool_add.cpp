// lumaroll-tool add as a user runs it: a library file comes out, progress
// goes to standard error, bad folders are refused, Ctrl+C keeps what was added.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "library/tune.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tools/tool_runner.h"

namespace {

class ToolAdd : public ::testing::Test {
 protected:
  void makeTunes(int count) {
    for (int i = 1; i <= count; ++i) {
      MediaRecipe s;
      s.seconds = 28;
      s.frequency = 300.0 + 20.0 * i;
      s.tags = {"Tune " + std::to_string(i), "Tool", "Tests", "Rock"};
      const std::filesystem::path p =
          dir.path() / "music" / ("f" + std::to_string(i % 2)) / ("t" + std::to_string(i) + ".mp3");
      std::filesystem::create_directories(p.parent_path());
      writeTestMedia(p.string(), s);
    }
  }
  std::size_t records() const {
    std::error_code ec;
    const auto n = std::filesystem::file_size(db, ec);
    return ec ? 0 : static_cast<std::size_t>(n / kTuneRecordSize);
  }
  TempDir dir;
  std::string db = dir.file("lib/LumarollDatabase");
  std::string music = dir.file("music");
};

}  // namespace

TEST_F(ToolAdd, AddsSavesAndReportsThenRefusesDuplicatesAndBadFolders) {
  makeTunes(2);
  ToolResult r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(records(), 2u);
  EXPECT_NE(r.err.find("files 2, tunes added 2"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("2 tunes added, 0 files left out; the library holds 2 tunes"), std::string::npos) << r.err;

  // The same folder again: every file is a duplicate now.
  r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(records(), 2u);
  EXPECT_NE(r.err.find("0 tunes added, 2 files left out (2 already in the library); the library holds 2 tunes\n"),
            std::string::npos)
      << r.err;

  r = runTool("add " + shellQuote(dir.file("none")) + " " + shellQuote(music) + " --db " + shellQuote(db));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is not a folder"), std::string::npos) << r.err;
  EXPECT_EQ(records(), 2u);

  // A library that cannot be read is never replaced (here a folder).
  r = runTool("add " + shellQuote(music) + " --db " + shellQuote(music));
  EXPECT_EQ(r.status, 1) << r.err;
}

TEST_F(ToolAdd, InterruptCommitsAndSavesWhatWasAdded) {
  // Sixty tunes with one sound and tags of their own: more than the tool
  // gets through before the Ctrl+C.
  MediaRecipe s;
  s.seconds = 28;
  s.id3 = Id3Version::none;
  const std::string sound = dir.file("sound.mp3");
  writeTestMedia(sound, s);
  const std::string bytes = readFileBytes(sound);
  std::filesystem::create_directories(music);
  for (int i = 1; i <= 60; ++i)
    writeFileBytes(
        music + "/t" + std::to_string(i) + ".mp3",
        id3v2Tag({"Tune " + std::to_string(i), "Tool", "Tests", "Rock"}, Id3Version::v23, Id3Encoding::latin1) + bytes);
  TempDir out;
  const std::string errPath = out.file("err");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::freopen(errPath.c_str(), "w", stderr);
    ::execl(LUMAROLL_TOOL, "lumaroll-tool", "add", music.c_str(), "--db", db.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Ctrl+C once the tool catches it (SIGINT's bit in the caught-signals mask
  // the system reports), and a moment into the run.
  auto catchesInterrupt = [pid] {
    const std::string status = readFileBytes("/proc/" + std::to_string(pid) + "/status");
    const std::size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) >> (SIGINT - 1)) & 1;
  };
  for (int i = 0; i < 1000 && !catchesInterrupt(); ++i) ::usleep(5000);
  ::usleep(100000);
  ASSERT_EQ(::kill(pid, SIGINT), 0);
  int raw = 0;
  ASSERT_EQ(::waitpid(pid, &raw, 0), pid);
  const std::string text = readFileBytes(errPath);
  ASSERT_TRUE(WIFEXITED(raw)) << text;
  ASSERT_EQ(WEXITSTATUS(raw), 130) << text;
  const std::size_t at = text.find("stopped: ");
  ASSERT_NE(at, std::string::npos) << text;
  const int added = std::atoi(text.c_str() + at + 9);
  EXPECT_LT(added, 60);
  EXPECT_EQ(records(), static_cast<std::size_t>(added));
}

// All five kinds of tune go in, with UTF-8 titles from FFmpeg's tags; the
// FLAC, Ogg and Opus files that are untagged, damaged or only text stay out.
// The library then shows each kind and loads and saves back byte for byte.
TEST_F(ToolAdd, AddsFlacVorbisAndOpusBesideMp3AndM4a) {
  struct Made {
    MediaFormat format;
    const char* name;
    const char* type;
  };
  const Made made[] = {{MediaFormat::mp3Cbr, "a.mp3", "MP3"},
                       {MediaFormat::m4a, "b.m4a", "AAC"},
                       {MediaFormat::flac, "c.flac", "FLAC"},
                       {MediaFormat::vorbis, "d.ogg", "OGG"},
                       {MediaFormat::opus, "e.opus", "OPUS"}};
  std::filesystem::create_directories(music);
  int n = 0;
  for (const Made& m : made) {
    MediaRecipe s;
    s.format = m.format;
    s.seconds = 28;
    s.frequency = 300.0 + 40.0 * ++n;
    s.muxerTags = true;
    s.tags = {std::string("Caf\xC3\xA9 ") + m.type, "Tool", "Tests", "Rock"};
    writeTestMedia(music + "/" + m.name, s);
  }
  MediaRecipe bare;
  bare.format = MediaFormat::flac;
  bare.seconds = 28;
  writeTestMedia(music + "/untagged.flac", bare);
  std::string cut = readFileBytes(music + "/d.ogg");
  writeFileBytes(music + "/cut.oga", cut.substr(0, cut.size() / 3));
  writeFileBytes(music + "/words.flac", "Not a tune: a text file with a tune's name.\n");

  ToolResult r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(records(), 5u) << r.err;

  r = runTool("dump --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const Made& m : made) {
    const std::string title = std::string("\"title\":\"Caf\xC3\xA9 ") + m.type + "\"";
    const auto at = r.out.find(title);
    ASSERT_NE(at, std::string::npos) << m.name << "\n" << r.out;
    const std::string line = r.out.substr(at, r.out.find('\n', at) - at);
    EXPECT_NE(line.find(std::string("\"type\":\"") + m.type + "\""), std::string::npos) << line;
  }

  const std::string before = readFileBytes(db);
  r = runTool("check --rewrite --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readFileBytes(db) == before);

  r = runTool("analyze " + shellQuote(music + "/e.opus") + " " + shellQuote(music + "/words.flac"));
  EXPECT_NE(r.out.find("\"type\":\"OPUS\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"readerResult\":-2048"), std::string::npos) << r.out;
}

TEST_F(ToolAdd, StoresFullPathsAndSaysWhenTheLibraryIsFull) {
  makeTunes(1);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ToolResult r = runTool("add music --db " + shellQuote(db));
  std::filesystem::current_path(cwd);
  ASSERT_EQ(r.status, 0) << r.err;
  // Playable from anywhere: the record holds the whole path.
  EXPECT_NE(readFileBytes(db).find(music + "/f1/t1.mp3"), std::string::npos);

  ASSERT_EQ(::truncate(db.c_str(), static_cast<off_t>(kMaxTunes) * kTuneRecordSize), 0);
  r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the library is full (30000 tunes)"), std::string::npos) << r.err;
}

// Each file that is not added is reported once, with its reason, though the
// files of the chosen folder are met in both passes; the counts close the
// report.
TEST_F(ToolAdd, ReportsEveryFileLeftOutWithItsReason) {
  std::filesystem::create_directories(music + "/sub");
  auto tune = [&](const std::string& name, MediaRecipe s) { writeTestMedia(music + "/" + name, s); };
  MediaRecipe good;
  good.seconds = 28;
  good.tags = {"Good", "Tool", "Tests", "Rock"};
  tune("good.mp3", good);
  tune("sub/again.mp3", good);  // the same tags: a duplicate
  MediaRecipe shortTune = good;
  shortTune.seconds = 26.5;
  shortTune.tags.title = "Short";
  tune("short.mp3", shortTune);
  MediaRecipe untagged = good;
  untagged.id3 = Id3Version::none;
  tune("sub/untagged.mp3", untagged);
  MediaRecipe podcast = good;
  podcast.tags = {"Cast", "Tool", "Tests", "Podcast"};
  tune("podcast.mp3", podcast);
  MediaRecipe quiet = good;
  quiet.content = MediaContent::silence;
  quiet.tags.title = "Quiet";
  tune("quiet.mp3", quiet);
  writeFileBytes(
      music + "/small.mp3",
      id3v2Tag({"Small", "Tool", "Tests", "Rock"}, Id3Version::v23, Id3Encoding::latin1) + std::string(1000, '\x55'));
  writeFileBytes(
      music + "/noise.mp3",
      id3v2Tag({"Noise", "Tool", "Tests", "Rock"}, Id3Version::v23, Id3Encoding::latin1) + std::string(100000, '\x55'));
  writeFileBytes(music + "/cover.jpg", "jpeg");
  writeFileBytes(music + "/._good.mp3", "resource fork");
  std::filesystem::create_symlink(music + "/gone.mp3", music + "/dangling.mp3");
  ASSERT_EQ(::mkfifo((music + "/pipe.mp3").c_str(), 0600), 0);

  const ToolResult r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(records(), 1u);
  const struct {
    const char* file;
    const char* reason;
  } want[] = {
      {"._good.mp3", "not an MP3, M4A, FLAC, Ogg or Opus file"},
      {"cover.jpg", "not an MP3, M4A, FLAC, Ogg or Opus file"},
      {"dangling.mp3", "unreadable or not a regular file, not a regular file"},
      {"noise.mp3", "the audio could not be decoded"},
      {"pipe.mp3", "unreadable or not a regular file, not a regular file"},
      {"podcast.mp3", "tags missing or refused, podcast"},
      {"quiet.mp3", "refused by the analysis, 0 strong bins"},
      {"short.mp3", "too short (26 s or less), 26 s"},
      {"small.mp3", "tags missing or refused, file too small"},
      {"sub/again.mp3", "already in the library"},
      {"sub/untagged.mp3", "tags missing or refused, no tag"},
  };
  for (const auto& w : want) {
    const std::string line = "left out: " + music + "/" + w.file + ": " + w.reason + "\n";
    const std::size_t at = r.err.find(line);
    EXPECT_NE(at, std::string::npos) << line << r.err;
    EXPECT_EQ(r.err.find(line, at + 1), std::string::npos) << "reported twice: " << line;
  }
  const std::string last = r.err.substr(r.err.rfind('\n', r.err.size() - 2) + 1);
  EXPECT_EQ(last,
            "1 tunes added, 11 files left out (1 too short (26 s or less), 2 not an MP3, M4A, FLAC, Ogg or Opus file, "
            "2 unreadable or "
            "not a regular file, 3 tags missing or refused, 1 already in the library, 1 the audio could not be "
            "decoded, 1 refused by the analysis); the library holds 1 tunes\n");
}
