// lumaroll-tool export-snd and play, run as the user runs them.
#include <gtest/gtest.h>

#include <string>

#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tools/analysis_positions.h"
#include "tools/tool_runner.h"

namespace {

TEST(MovieTool, exportsTheBlockOfAPartOrATimeAndPlays) {
  TempDir dir;
  MediaRecipe s;  // thirty seconds
  s.content = MediaContent::noise;
  const std::string path = shellQuote(dir.file("a.mp3"));
  writeTestMedia(dir.file("a.mp3"), s);
  ASSERT_EQ(EnterMovies(), noErr);
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(dir.file("a.mp3"), movie), noErr);
  std::vector<std::uint8_t> block;
  const std::int32_t start = analysisStart(7, GetMovieDuration(movie.get()), 600);
  const std::pair<std::int32_t, const char*> requests[] = {{start, " --part 7"}, {7500, " --at 12.5"}};
  for (const auto& [at, arguments] : requests) {
    ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), block, at, 600), noErr);
    const ToolResult r = runTool("export-snd " + path + arguments);
    EXPECT_EQ(r.status, 0) << arguments;
    EXPECT_EQ(r.out, std::string(block.begin(), block.end())) << arguments;
  }
  for (const std::string& wrong : {"export-snd " + path + " --part 15", "export-snd " + path + " --part 1 --at 3",
                                   "export-snd " + path, "play " + path + " --volume 2000"})
    EXPECT_EQ(runTool(wrong).status, 2) << wrong;
  EXPECT_EQ(runTool("export-snd " + shellQuote(dir.file("none.mp3")) + " --part 1").status, 1);

  s.seconds = 0.5;
  s.format = MediaFormat::m4a;
  writeTestMedia(dir.file("a.m4a"), s);
  EXPECT_EQ(runTool("play " + shellQuote(dir.file("a.m4a")) + " --volume 300").status, 0);
  EXPECT_EQ(runTool("play " + shellQuote(dir.file("missing.m4a"))).status, 1);
}

}  // namespace
