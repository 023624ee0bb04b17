// lumaroll-tool add as a user runs it: a library file comes out, progress and
// the report go to standard error, bad folders are refused, Ctrl+C keeps what
// was added.
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
  std::size_t records() const { return readFileBytes(db).size() / kTuneRecordSize; }
  ToolResult add(const std::string& folders) { return runTool("add " + folders + " --db " + shellQuote(db)); }
  static std::string tag(const std::string& title, const std::string& genre = "Rock") {
    return id3v2Tag({title, "Tool", "Tests", genre}, Id3Version::v23, Id3Encoding::latin1);
  }
  // A generated MP3 without a tag, to go behind tags of a test's own.
  std::string sound(double seconds, MediaContent content = MediaContent::tone) const {
    writeTestMedia(dir.file("sound.mp3"),
                   {.seconds = seconds, .content = content, .tags = {}, .id3 = Id3Version::none});
    return readFileBytes(dir.file("sound.mp3"));
  }
  TempDir dir;
  std::string db = dir.file("lib/LumarollDatabase");
  std::string music = dir.file("music");
};

}  // namespace

// Each file that is not added is reported once, with its reason, though the
// files of the chosen folder are met in both passes; the counts close the
// report. The record keeps the whole path of a folder given relative to the
// working folder. Then what cannot be added: the same files again, a folder
// that is not one, a library that cannot be read, a full library.
TEST_F(ToolAdd, ReportsEveryFileLeftOutWithItsReasonAndRefusesWhatCannotBeAdded) {
  std::filesystem::create_directories(music + "/sub");
  const std::string tone = sound(28);
  for (const auto& [file, bytes] : {std::pair<const char*, std::string>{"good.mp3", tag("Good") + tone},
                                    {"sub/again.mp3", tag("Good") + tone},  // the same tags: a duplicate
                                    {"sub/untagged.mp3", tone},
                                    {"podcast.mp3", tag("Cast", "Podcast") + tone},
                                    {"quiet.mp3", tag("Quiet") + sound(28, MediaContent::silence)},
                                    {"short.mp3", tag("Short") + sound(26.5)},
                                    {"small.mp3", tag("Small") + std::string(1000, '\x55')},
                                    {"noise.mp3", tag("Noise") + std::string(100000, '\x55')},
                                    {"cover.jpg", "jpeg"},
                                    {"._good.mp3", "resource fork"}})
    writeFileBytes(music + "/" + file, bytes);
  std::filesystem::create_symlink(music + "/gone.mp3", music + "/dangling.mp3");
  ASSERT_EQ(::mkfifo((music + "/pipe.mp3").c_str(), 0600), 0);

  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ToolResult r = add("music");
  std::filesystem::current_path(cwd);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(records(), 1u);
  EXPECT_NE(readFileBytes(db).find(music + "/good.mp3"), std::string::npos) << "playable from anywhere";
  const std::pair<const char*, const char*> want[] = {
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
  for (const auto& [file, reason] : want) {
    const std::string line = "left out: " + music + "/" + file + ": " + reason + "\n";
    const std::size_t at = r.err.find(line);
    EXPECT_NE(at, std::string::npos) << line << r.err;
    EXPECT_EQ(r.err.find(line, at + 1), std::string::npos) << "reported twice: " << line;
  }
  EXPECT_TRUE(r.err.ends_with(
      "\n1 tunes added, 11 files left out (1 too short (26 s or less), 2 not an MP3, M4A, FLAC, Ogg or Opus file, "
      "2 unreadable or not a regular file, 3 tags missing or refused, 1 already in the library, 1 the audio could "
      "not be decoded, 1 refused by the analysis); the library holds 1 tunes\n"))
      << r.err;

  r = add(shellQuote(music));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("left out: " + music + "/good.mp3: already in the library\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\n0 tunes added, 12 files left out ("), std::string::npos) << r.err;

  r = add(shellQuote(dir.file("none")) + " " + shellQuote(music));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("is not a folder"), std::string::npos) << r.err;
  // A library that cannot be read is never replaced (here a folder).
  EXPECT_EQ(runTool("add " + shellQuote(music) + " --db " + shellQuote(music)).status, 1);
  EXPECT_EQ(records(), 1u);

  ASSERT_EQ(::truncate(db.c_str(), static_cast<off_t>(kMaxTunes) * kTuneRecordSize), 0);
  r = add(shellQuote(music));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the library is full (30000 tunes)"), std::string::npos) << r.err;
}

TEST_F(ToolAdd, InterruptCommitsAndSavesWhatWasAdded) {
  // Sixty tunes with one sound and tags of their own: more than the tool
  // gets through before the Ctrl+C.
  const std::string bytes = sound(28);
  std::filesystem::create_directories(music);
  for (int i = 1; i <= 60; ++i)
    writeFileBytes(music + "/t" + std::to_string(i) + ".mp3", tag("Tune " + std::to_string(i)) + bytes);
  const std::string errPath = dir.file("err");
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
  ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 130) << raw << text;
  const std::size_t at = text.find("stopped: ");
  ASSERT_NE(at, std::string::npos) << text;
  const int added = std::atoi(text.c_str() + at + 9);
  EXPECT_LT(added, 60);
  EXPECT_EQ(records(), static_cast<std::size_t>(added));
}
