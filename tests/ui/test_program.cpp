// The real program and the real lumaroll-tool on one library: while the
// program runs, the tool's writing commands refuse and its reading ones work.
// SIGTERM ends the program after it has written the library and the
// preferences from memory; then the tool writes again. The program takes
// folder arguments as the bytes the system gave.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "library/database.h"
#include "support/temp_dir.h"
#include "tools/tool_runner.h"

namespace {

// Starts LUMAROLL_PROGRAM with one argument (taken as bytes), its standard
// error to `errPath`, and returns once it has painted its main window: its
// process ID, or -1 when it never painted.
pid_t startPaintedProgram(const std::string& data, const std::string& config, const std::string& arg,
                          const std::string& errPath) {
  int out[2];
  if (::pipe(out) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("LUMAROLL_ANNOUNCE_PAINT", "1", 1);
    ::setenv("LSAN_OPTIONS", "suppressions=" LUMAROLL_LSAN_SUPPRESSIONS, 1);  // sanitizer builds
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    ::execl(LUMAROLL_PROGRAM, LUMAROLL_PROGRAM, arg.c_str(), nullptr);
    ::_exit(127);
  }
  ::close(out[1]);
  std::string said;
  char c = 0;
  while (said.find("painted\n") == std::string::npos && ::read(out[0], &c, 1) == 1) said += c;
  ::close(out[0]);
  return said == "painted\n" ? pid : -1;
}

}  // namespace

TEST(Program, SigtermSavesTheLibraryAndThePreferencesAndTheToolWaitsForIt) {
  TempDir dir;
  const std::string data = dir.file("data"), config = dir.file("config");
  const std::string db = data + "/Lumaroll/LumarollDatabase";
  const std::string music = dir.file("m\xe9lodies");  // Latin-1, not UTF-8
  std::filesystem::create_directories(music);
  std::filesystem::create_directories(data + "/Lumaroll");
  // Three records whose permIDs are out of order: loading numbers them 1..3
  // in memory, so a file with 1, 2, 3 afterwards was written from memory.
  std::string records(3 * kTuneRecordSize, '\0');
  for (std::size_t i = 0; i < 3; ++i) {
    records[i * kTuneRecordSize + 370] = 1;  // title "A"
    records[i * kTuneRecordSize + 371] = 'A';
    records[i * kTuneRecordSize + 4562 + 3] = static_cast<char>(9 - i);
  }
  writeFileBytes(db, records);
  const std::string err = dir.file("stderr");

  const pid_t pid = startPaintedProgram(data, config, music, err);
  ASSERT_GT(pid, 0);
  auto tool = [&](const std::string& command) { return runTool(command + " --db " + shellQuote(db)); };
  ToolResult r = tool("add " + shellQuote(music));
  EXPECT_NE(r.err.find("Lumaroll is running; quit it first"), std::string::npos) << r.err;
  EXPECT_EQ((std::vector{r.status, tool("check --rewrite").status, tool("dump").status, tool("check").status}),
            (std::vector{1, 1, 0, 0}));

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(readFileBytes(err).find("left out"), std::string::npos) << readFileBytes(err);
  const std::string saved = readFileBytes(db);
  ASSERT_EQ(saved.size(), 3 * kTuneRecordSize);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(saved.substr(i * kTuneRecordSize + 4562, 4), (std::string{'\0', '\0', '\0', static_cast<char>(i + 1)}));
  const std::string prefs = readFileBytes(config + "/Orvane-Lumaroll/LumarollPrefs");
  EXPECT_EQ(std::count(prefs.begin(), prefs.end(), '\r'), 5);

  r = tool("add " + shellQuote(music));
  EXPECT_EQ(r.status, 0) << r.err;
}
