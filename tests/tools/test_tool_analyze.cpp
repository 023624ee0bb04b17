// lumaroll-tool analyze on generated files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/media.h"
#include "support/temp_dir.h"
#include "tool_runner.h"

TEST(ToolAnalyze, PrintsEveryCallAndFieldAndTouchesNoLibrary) {
  TempDir dir;
  MediaRecipe s;
  s.seconds = 30;
  s.tags = {"Tone", "Generator", "Tests", "Jazz"};
  const std::string tune = dir.file("tone.mp3");
  writeTestMedia(tune, s);
  s.seconds = 20;
  const std::string shortTune = dir.file("short.mp3");
  writeTestMedia(shortTune, s);

  // The tool inherits this: a library written by mistake would land here.
  ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  const ToolResult r =
      runTool("analyze " + shellQuote(tune) + " " + shellQuote(shortTune) + " " + shellQuote(dir.file("notes.txt")));
  EXPECT_EQ(r.status, 1) << r.err;  // not every file could be analysed
  const auto first = r.out.substr(0, r.out.find('\n'));
  EXPECT_NE(first.find("\"readerResult\":0"), std::string::npos) << first;
  EXPECT_NE(first.find("\"measureResults\":[0,0,0,0,0,0,0,0,0,0,0,0,0,0]"), std::string::npos) << first;
  EXPECT_NE(first.find("\"classifyResult\":0"), std::string::npos) << first;
  EXPECT_NE(first.find("\"accepted\":true"), std::string::npos) << first;
  EXPECT_NE(first.find("\"colourCategory\":1"), std::string::npos) << first;
  EXPECT_NE(first.find("\"durationSeconds\":30"), std::string::npos) << first;
  EXPECT_NE(first.find("\"title\":\"Tone\""), std::string::npos) << first;
  EXPECT_NE(r.out.find("\"measureResults\":[37]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"error\":\"not an MP3, M4A, FLAC, Ogg or Opus file\""), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir.file("data")));
}
