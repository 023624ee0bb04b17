// lumaroll-tool export-snd and play, run as the user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/movie.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "tools/analysis_positions.h"

namespace {

// Runs the tool with a shell command line; returns its exit status and output.
int tool(const std::string& arguments, std::string* out = nullptr) {
  const std::string command = std::string(LUMAROLL_TOOL) + " " + arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = ::pclose(pipe);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MovieTool, exportsTheBlockOfAPartOrATime) {
  TempDir dir;
  MediaRecipe s;
  s.seconds = 30;
  s.content = MediaContent::noise;
  const std::string path = dir.file("a.mp3");
  writeTestMedia(path, s);
  ASSERT_EQ(EnterMovies(), noErr);
  MovieOwner movie;
  ASSERT_EQ(openMovieByPath(path, movie), noErr);
  std::vector<std::uint8_t> block;
  const std::int32_t start = analysisStart(7, GetMovieDuration(movie.get()), 600);
  ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), block, start, 600), noErr);

  std::string out;
  ASSERT_EQ(tool("export-snd " + path + " --part 7", &out), 0);
  EXPECT_EQ(out, std::string(block.begin(), block.end()));
  ASSERT_EQ(PutMovieIntoTypedHandle(movie.get(), block, 7500, 600), noErr);
  ASSERT_EQ(tool("export-snd " + path + " --at 12.5", &out), 0);
  EXPECT_EQ(out, std::string(block.begin(), block.end()));

  EXPECT_EQ(tool("export-snd " + path + " --part 15"), 2);
  EXPECT_EQ(tool("export-snd " + path + " --part 1 --at 3"), 2);
  EXPECT_EQ(tool("export-snd " + path), 2);
  EXPECT_EQ(tool("export-snd " + dir.file("none.mp3") + " --part 1"), 1);
  EXPECT_EQ(tool("play " + path + " --volume 2000"), 2);
}

TEST(MovieTool, playsAFileToItsEnd) {
  TempDir dir;
  MediaRecipe s;
  s.seconds = 0.5;
  s.format = MediaFormat::m4a;
  writeTestMedia(dir.file("a.m4a"), s);
  EXPECT_EQ(tool("play " + dir.file("a.m4a") + " --volume 300"), 0);
  EXPECT_EQ(tool("play " + dir.file("missing.m4a")), 1);
}

}  // namespace
