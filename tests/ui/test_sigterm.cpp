// The program itself, ended by SIGTERM: the library and the preferences are
// written from memory before it goes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "library/database.h"
#include "support/temp_dir.h"

namespace {

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
  return v;
}

}  // namespace

TEST(Sigterm, SavesTheLibraryAndThePreferences) {
  TempDir dir;
  const std::string data = dir.file("data"), config = dir.file("config");
  const std::string database = data + "/Lumaroll/LumarollDatabase";
  // Three records whose permIDs are out of order: loading numbers them 1..3
  // in memory, so a file with 1, 2, 3 afterwards was written from memory.
  std::string records(3 * kTuneRecordSize, '\0');
  for (std::size_t i = 0; i < 3; ++i) {
    records[i * kTuneRecordSize + 370] = 1;  // title "A"
    records[i * kTuneRecordSize + 371] = 'A';
    records[i * kTuneRecordSize + 4562 + 3] = static_cast<char>(9 - i);
  }
  std::filesystem::create_directories(data + "/Lumaroll");
  writeFileBytes(database, records);

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LUMAROLL_ANNOUNCE_PAINT", "1", 1);
    setenv("LSAN_OPTIONS", "suppressions=" LUMAROLL_LSAN_SUPPRESSIONS, 1);  // sanitizer builds
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    execl(LUMAROLL_PROGRAM, LUMAROLL_PROGRAM, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string said;
  char c;
  while (said.find("painted\n") == std::string::npos && read(out[0], &c, 1) == 1) said += c;
  close(out[0]);
  ASSERT_EQ(said, "painted\n");
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::string saved = readFileBytes(database);
  ASSERT_EQ(saved.size(), 3 * kTuneRecordSize);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(bigEndian32(saved, i * kTuneRecordSize + 4562), i + 1);
  const std::string prefs = readFileBytes(config + "/Orvane-Lumaroll/LumarollPrefs");
  EXPECT_EQ(std::count(prefs.begin(), prefs.end(), '\r'), 5);
}
