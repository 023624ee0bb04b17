// The real program and the real lumaroll-tool on one library: while the
// program runs, the tool's writing commands refuse and its reading ones work.
// SIGTERM ends the program after it has written the library and the
// preferences from memory; then the tool writes again. The program takes
// folder arguments as the bytes the system gave.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "library/database.h"
#include "support/temp_dir.h"
#include "tools/tool_runner.h"

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

  // The shell tells its process ID, which the program keeps; the program
  // tells when it has painted its main window.
  const std::string command = "echo $$; exec env XDG_DATA_HOME=" + shellQuote(data) +
                              " XDG_CONFIG_HOME=" + shellQuote(config) +
                              " QT_QPA_PLATFORM=offscreen LUMAROLL_ANNOUNCE_PAINT=1" +
                              " LSAN_OPTIONS=suppressions=" + shellQuote(LUMAROLL_LSAN_SUPPRESSIONS) + " " +
                              shellQuote(LUMAROLL_PROGRAM) + " " + shellQuote(music) + " 2>" + shellQuote(err);
  FILE* program = ::popen(command.c_str(), "r");
  char pid[32] = {}, said[32] = {};
  ASSERT_TRUE(program && std::fgets(pid, sizeof pid, program) && std::fgets(said, sizeof said, program));
  ASSERT_STREQ(said, "painted\n");
  auto tool = [&](const std::string& args) { return runTool(args + " --db " + shellQuote(db)); };
  ToolResult r = tool("add " + shellQuote(music));
  EXPECT_NE(r.err.find("Lumaroll is running; quit it first"), std::string::npos) << r.err;
  EXPECT_EQ((std::vector{r.status, tool("check --rewrite").status, tool("dump").status, tool("check").status}),
            (std::vector{1, 1, 0, 0}));

  ::kill(std::atoi(pid), SIGTERM);
  const int status = ::pclose(program);
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
