// lumaroll-tool analyze on generated files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/media.h"
#include "support/temp_dir.h"
#include "tool_runner.h"

TEST(ToolAnalyze, PrintsEveryCallAndFieldAndTouchesNoLibrary) {
  TempDir dir;
  MediaRecipe s;  // thirty seconds
  s.tags = {"Tone", "Generator", "Tests", "Jazz"};
  const std::string tune = dir.file("tone.mp3"), shortTune = dir.file("short.mp3");
  writeTestMedia(tune, s);
  s.seconds = 20;
  writeTestMedia(shortTune, s);
  // The tool inherits this: a library written by mistake would land here.
  ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  const ToolResult r =
      runTool("analyze " + shellQuote(tune) + " " + shellQuote(shortTune) + " " + shellQuote(dir.file("notes.txt")));
  EXPECT_EQ(r.status, 1) << r.err;  // not every file could be analysed
  const std::string first = r.out.substr(0, r.out.find('\n'));
  for (const char* field :
       {"\"readerResult\":0", "\"measureResults\":[0,0,0,0,0,0,0,0,0,0,0,0,0,0]", "\"classifyResult\":0",
        "\"accepted\":true", "\"colourCategory\":1", "\"durationSeconds\":30", "\"title\":\"Tone\""})
    EXPECT_NE(first.find(field), std::string::npos) << field << " in " << first;
  for (const char* later : {"\"measureResults\":[37]", "\"error\":\"not an MP3, M4A, FLAC, Ogg or Opus file\""})
    EXPECT_NE(r.out.find(later), std::string::npos) << later << " in " << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir.file("data")));
}
