#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "library_fixture.h"
#include "support/file_size_limit.h"

namespace {

// A record of the file as the machine holds it: each integer field, big-endian
// in the file, byte-reversed; every other byte as it is.
std::string inMachineOrder(std::string record) {
  std::vector<std::size_t> two = {1138, 1912, 2434, 2436, 2438, 2440, 2510, 3432, 3434,
                                  3436, 3438, 3440, 3442, 3444, 3446, 3936, 4554, 4556};
  std::vector<std::size_t> four = {1140, 2426, 2430, 2442, 3408, 3412, 3416, 3420, 3424, 3428, 3938, 3942,
                                   3946, 3950, 3958, 3962, 3966, 3970, 3974, 3978, 3982, 3986, 3990, 3994,
                                   3998, 4002, 4006, 4010, 4018, 4022, 4026, 4030, 4546, 4550, 4558, 4562};
  for (std::size_t o = 3694; o <= 3752; o += 2) two.push_back(o);   // sampleAmplitude 1..30
  for (std::size_t o = 3816; o <= 3874; o += 2) two.push_back(o);   // the reserved array's 1..30
  for (std::size_t o = 3452; o <= 3568; o += 4) four.push_back(o);  // samplePitch 1..30
  for (std::size_t o : two) std::reverse(record.begin() + o, record.begin() + o + 2);
  for (std::size_t o : four) std::reverse(record.begin() + o, record.begin() + o + 4);
  return record;
}

// Where two byte strings first differ (their length when they are alike).
std::size_t firstDifference(const std::string& a, const std::string& b) {
  return a.size() == b.size() ? std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin() : 0;
}

}  // namespace

using Database = LibraryTest;

// Against a writer of its own: every integer field is big-endian in the
// file, every other byte as it is; a save writes the file back as it was
// (each permID renumbered) and leaves the table in the machine's order.
TEST_F(Database, EveryIntegerFieldIsBigEndianInTheFileEveryOtherByteAsItIs) {
  static_assert(std::endian::native == std::endian::little);
  createNewDirectory(folderOf(dbPath));
  std::mt19937 rng(99);
  std::string file(5 * kTuneRecordSize + 100, '\0');  // five records and a piece of a sixth
  for (auto& c : file) c = static_cast<char>(rng());
  writeFileBytes(dbPath, file);
  ASSERT_EQ(openDatabaseFiles(), noErr);

  // The table in the machine's order, and what a save must write back: the
  // file, each permID renumbered as a load numbers the tunes.
  std::string memory, saved;
  for (std::size_t k = 1; k <= 5; ++k) {
    const auto permID = static_cast<std::uint32_t>(k);
    memory += inMachineOrder(file.substr((k - 1) * kTuneRecordSize, kTuneRecordSize))
                  .replace(4562, 4, reinterpret_cast<const char*>(&permID), 4);
    saved += file.substr((k - 1) * kTuneRecordSize, 4562) + std::string("\0\0\0", 3) + static_cast<char>(k);
  }
  const auto table = [] { return std::string(reinterpret_cast<const char*>(&gTunes_A[1]), 5 * kTuneRecordSize); };
  EXPECT_EQ(firstDifference(table(), memory), memory.size());
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_EQ(firstDifference(readFileBytes(dbPath), saved), saved.size());
  EXPECT_EQ(firstDifference(table(), memory), memory.size()) << "left swapped";
}

TEST_F(Database, AFileLongerThanTheTableLoadsItsFirst30000) {
  createNewDirectory(folderOf(dbPath));
  writeFileBytes(dbPath, "");  // made sparse: 30002 records and a half cost nothing
  ASSERT_EQ(::truncate(dbPath.c_str(), 30002L * 4566 + 2000), 0);
  ASSERT_EQ(openDatabaseFiles(), noErr);
  // The two left out are not dropped from the file by the next save.
  EXPECT_EQ(std::pair(gTotalTunes_L, gDatabaseTunesLeftOut), std::pair(30000, std::int64_t{2}));
  EXPECT_NE(saveDatabaseFiles(), noErr);
  EXPECT_NE(librarySaveFailure().reason.find("30002 tunes"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(dbPath), 30002u * 4566 + 2000);
}

// A save that cannot finish, on a full disk or killed part-way, leaves the
// previous library whole; the next save clears away the temporaries the
// killed ones left, and only those.
TEST_F(Database, ASaveThatCannotFinishLeavesThePreviousFile) {
  for (int i = 0; i < 3; ++i) addTune("old");
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string before = readFileBytes(dbPath);
  for (int i = 0; i < 8000; ++i) addTune("new");  // about 36 MB to write
  auto names = [&] {
    std::set<std::string> v;
    for (const auto& e : std::filesystem::directory_iterator(folderOf(dbPath))) v.insert(e.path().filename());
    return v;
  };
  const auto failsAndSaysWhy = [&] {
    if (saveDatabaseFiles() == noErr) return 0;
    const LibrarySaveFailure& f = librarySaveFailure();
    return f.pending && f.path == dbPath && !f.reason.empty() ? 3 : 4;
  };
  // A file-size limit makes the write fail part-way, as a full disk would.
  EXPECT_EQ(exitCodeUnderFileSizeLimit(20000, failsAndSaysWhy), 3);
  EXPECT_TRUE(readFileBytes(dbPath) == before);
  EXPECT_EQ(names(), std::set<std::string>{"LumarollDatabase"});  // no temporary left behind
  for (int delayUs : {0, 2000, 10000, 40000}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(saveDatabaseFiles());
    usleep(static_cast<useconds_t>(delayUs));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string now = readFileBytes(dbPath);
    // Either the old library or the complete new one, never a piece.
    EXPECT_TRUE(now == before || now.size() == 8003u * 4566) << "size " << now.size();
  }
  writeFileBytes(dbPath + ".notes", "x");
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_EQ(names(), (std::set<std::string>{"LumarollDatabase", "LumarollDatabase.notes"}));
}

TEST_F(Database, ALinkedLibraryKeepsItsLinkAndAFileKeepsItsMode) {
  const std::string real = dir.file("elsewhere/lib.db");
  createNewDirectory(folderOf(real));
  createNewDirectory(folderOf(dbPath));
  ASSERT_EQ(::symlink("../elsewhere/lib.db", dbPath.c_str()), 0);
  namespace fs = std::filesystem;
  const mode_t old = ::umask(027);
  addTune("a");
  EXPECT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_TRUE(fs::is_symlink(dbPath));
  EXPECT_EQ(fs::status(real).permissions(), fs::perms{0640});  // a new file: the umask decides
  fs::permissions(real, fs::perms{0604});
  addTune("b");
  EXPECT_EQ(saveDatabaseFiles(), noErr);
  ::umask(old);
  EXPECT_EQ(fs::status(real).permissions(), fs::perms{0604});  // a replaced file keeps its mode
  EXPECT_EQ(fs::file_size(real), 2u * 4566);
}

// A library that is a named pipe is refused at once, and a save never
// replaces what could not be read. In a child with an alarm: a load that
// waits on the pipe fails the test instead of hanging it.
TEST_F(Database, ALibraryThatIsNotAPlainFileIsRefusedWithoutWaitingAndNeverOverwritten) {
  createNewDirectory(folderOf(dbPath));
  ASSERT_EQ(::mkfifo(dbPath.c_str(), 0644), 0);
  EXPECT_EXIT(
      {
        alarm(5);
        openDatabaseFiles();
        const bool refused = gDatabaseLoadIncomplete && libraryLoadProblem() == "it is not a regular file";
        addTune("x");
        _exit(refused && gTotalTunes_L == 1 && saveDatabaseFiles() != noErr ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(std::filesystem::is_fifo(dbPath));
}

TEST_F(Database, MissingHomeFolderBeepsAndExits) {
  setLibraryFilePath("");
  EXPECT_EXIT(
      {
        unsetenv("HOME");
        unsetenv("XDG_DATA_HOME");
        saveDatabaseFiles();
        std::exit(9);
      },
      ::testing::ExitedWithCode(0), "");
}
