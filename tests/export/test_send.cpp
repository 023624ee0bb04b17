#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "core/paths.h"
#include "export/send.h"
#include "library/tune.h"
#include "platform/headless/headless_toolbox.h"
#include "support/temp_dir.h"

namespace {

class Send : public ::testing::Test {
 protected:
  void SetUp() override {
    headlessToolbox().reset();
    ::setenv("HOME", dir.file("home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    createNewDirectory(dir.file("bin"));
    ::setenv("PATH", (dir.file("bin") + ":/usr/bin:/bin").c_str(), 1);
    // A stand-in for osascript that records every script it is given.
    const std::string fake = dir.file("bin/osascript");
    writeFileBytes(fake, "#!/bin/sh\ncat >> \"" + log + "\"\nprintf '|END|' >> \"" + log + "\"\necho done\n");
    ::chmod(fake.c_str(), 0755);
    for (int i = 1; i <= 10; ++i) {
      Tune& t = gPlaylistTunes_A[i] = Tune{};
      t.filePath.assign(dir.file("home/music files/tune " + std::to_string(i) + ".mp3"));
      t.title.assign("Song " + std::to_string(i));
      t.artist.assign("Band");
      t.durationSeconds = 100 + i;
      t.checked = (i == 2 || i == 7) ? 0 : 1;
    }
    gTotalPlaylistTunes_L = 10;
  }
  static std::string path(int i) { return std::string(gPlaylistTunes_A[i].filePath.view()); }

  TempDir dir;
  const std::string log = dir.file("scripts.log");
};

}  // namespace

TEST_F(Send, ScriptTextsAreExactWithQuotesAndBackslashesEscaped) {
  EXPECT_EQ(tuneScript("A \"B\"", "/x\\y\".mp3"),
            "tell application \"iTunes\"\r"
            "try\r"
            "with timeout of 300 seconds\r"
            "set myTrack to (add \"/x\\\\y\\\".mp3\")\r"
            "set dbid to myTrack's database ID\r"
            "if not (exists playlist \"A \\\"B\\\"\") then make new user playlist with properties "
            "{name:\"A \\\"B\\\"\"}\r"
            "if not (exists (some track of playlist \"A \\\"B\\\"\" whose database ID is dbid)) then\r"
            "duplicate myTrack to playlist  \"A \\\"B\\\"\"\r"
            "end if\r"
            "end timeout\r"
            "end try\r"
            "end tell\r");
  EXPECT_EQ(activationScript(), "tell application \"iTunes\"\ractivate\rend tell\r");
}

TEST_F(Send, LimitRulesAndAnEmptyPlaylist) {
  const std::pair<const char*, int> limits[] = {{"3", 3},  {" 10", 10}, {"3.9", 3},
                                                {"0", 10}, {"-2", 10},  {"abc", 10},
                                                {"", 10},  {"11", 10},  {"99999999999999999999", 10}};
  for (const auto& [text, count] : limits) EXPECT_EQ(sendCountForLimit(text, 10), count) << text;
  gTotalPlaylistTunes_L = 0;
  EXPECT_EQ(sendPlaylistToiTunes(makeStr255("X"), 0), "");
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_EQ(headlessToolbox().log.back(), "text:1/1000=Activity: None.");
}

TEST_F(Send, SendsCheckedEntriesWithinTheLimitAndWritesThemAsM3uLineByLine) {
  const std::string m3u = sendPlaylistToiTunes(makeStr255("Road Trip"), sendCountForLimit("3", 10));
  // Entries 1 and 3 (2 is unchecked), then the activation.
  EXPECT_EQ(readFileBytes(log), tuneScript("Road Trip", path(1)) + "|END|" + tuneScript("Road Trip", path(3)) +
                                    "|END|" + activationScript() + "|END|");
  ASSERT_EQ(m3u, dir.file("home/Music/Playlists/Road Trip.m3u"));
  EXPECT_EQ(readFileBytes(m3u),
            "#EXTM3U\n#EXTINF:101,Band - Song 1\n" + path(1) + "\n#EXTINF:103,Band - Song 3\n" + path(3) + "\n");
  EXPECT_EQ(headlessToolbox().log.back(), "text:1/1000=Activity: Playlist saved as " + m3u);

  // Nothing from a tag or a path starts a line of its own.
  gPlaylistTunes_A[1].title.assign("Evil\nhttp://x.example/steal\r");
  gPlaylistTunes_A[1].artist.assign("A\177B\tC");
  gPlaylistTunes_A[3].filePath.assign("/music/a\nhttp://y.example/b #1.mp3");
  const std::string text = readFileBytes(sendPlaylistToiTunes(makeStr255("Trap"), sendCountForLimit("3", 10)));
  EXPECT_EQ(text, "#EXTM3U\n#EXTINF:101,A B C - Evil http://x.example/steal \n" + path(1) +
                      "\n#EXTINF:103,Band - Song 3\nfile:///music/a%0Ahttp%3A//y.example/b%20%231.mp3\n");
}

TEST_F(Send, WholePlaylistWithoutARunnerStillWritesTheM3u) {
  ::setenv("PATH", dir.file("nothing").c_str(), 1);
  Str255 result{};
  gScriptBuffer = activationScript();
  EXPECT_EQ(AppleScriptRun(result), -1);
  EXPECT_EQ(result.view(), "AppleScript is not available");
  EXPECT_TRUE(gScriptBuffer.empty());
  // A name with a slash, a Mac Roman accent, written to the folder of user-dirs.dirs.
  createNewDirectory(dir.file("config"));
  writeFileBytes(dir.file("config/user-dirs.dirs"), "# comment\nXDG_MUSIC_DIR=\"$HOME/music files\"\n");
  const std::string m3u = sendPlaylistToiTunes(makeStr255("AC/DC Caf\x8E"), sendCountForLimit("x", 10));
  ASSERT_EQ(m3u, dir.file("home/music files/Playlists/AC-DC Caf\xC3\xA9.m3u"));
  std::string expected = "#EXTM3U\n";  // the eight checked entries
  for (int i : {1, 3, 4, 5, 6, 8, 9, 10})
    expected += "#EXTINF:" + std::to_string(100 + i) + ",Band - Song " + std::to_string(i) + "\n" + path(i) + "\n";
  EXPECT_EQ(readFileBytes(m3u), expected);
  // A name that would hide the file does not.
  EXPECT_EQ(sendPlaylistToiTunes(makeStr255(".mix"), 1), dir.file("home/music files/Playlists/_mix.m3u"));
}
