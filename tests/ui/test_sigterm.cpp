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
#include "program_runner.h"
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

  const pid_t pid = startPaintedProgram(data, config);
  ASSERT_GT(pid, 0);
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
