// The real program and the real lumaroll-tool on one library: while the
// program runs, the tool's writing commands refuse and its reading ones
// work; once it has quit, the tool writes again. The program also takes
// folder arguments as the bytes the system gave.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "program_runner.h"
#include "support/temp_dir.h"
#include "tools/tool_runner.h"

TEST(ProgramAndTool, TheToolWaitsForTheProgramToQuit) {
  TempDir dir;
  const std::string data = dir.file("data"), config = dir.file("config");
  const std::string db = data + "/Lumaroll/LumarollDatabase";
  const std::string music = dir.file("m\xe9lodies");  // Latin-1, not UTF-8
  std::filesystem::create_directories(music);
  std::filesystem::create_directories(data + "/Lumaroll");
  writeFileBytes(db, std::string(4566, '\0'));  // one tune
  const std::string err = dir.file("stderr");

  const pid_t pid = startPaintedProgram(data, config, {music}, err);
  ASSERT_GT(pid, 0);

  ToolResult r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Lumaroll is running; quit it first"), std::string::npos) << r.err;
  r = runTool("check --rewrite --db " + shellQuote(db));
  EXPECT_EQ(r.status, 1);
  r = runTool("dump --db " + shellQuote(db));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(runTool("check --db " + shellQuote(db)).status, 0);

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(readFileBytes(err).find("left out"), std::string::npos) << readFileBytes(err);

  r = runTool("add " + shellQuote(music) + " --db " + shellQuote(db));
  EXPECT_EQ(r.status, 0) << r.err;
}
