#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "library_fixture.h"

namespace {

// An independent writer of database records: lays the bytes out from the
// file's offsets, big-endian, without the record structure of the program.
struct RecordBytes {
  std::string b = std::string(4566, '\0');
  void be16(std::size_t off, std::uint16_t v) {
    b[off] = static_cast<char>(v >> 8);
    b[off + 1] = static_cast<char>(v & 0xFF);
  }
  void be32(std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
  }
  void str(std::size_t off, const std::string& s) {
    b[off] = static_cast<char>(s.size());
    b.replace(off + 1, s.size(), s);
  }
};

RecordBytes independentRecord(int k) {
  RecordBytes r;
  r.str(370, "Title " + std::to_string(k));
  r.str(882, "file" + std::to_string(k) + ".mp3");
  r.be16(1138, static_cast<std::uint16_t>(-3));
  r.be32(1140, 0x01020304u + static_cast<std::uint32_t>(k));
  r.str(1144, "/music/file" + std::to_string(k) + ".mp3");
  r.str(1914, "Artist");
  r.str(2170, "Album");
  r.be32(2426, 4000000);
  r.be32(2430, 240);
  r.be16(2436, 27);
  r.str(2446, "Rock");
  r.be16(2510, 17);
  r.str(2704, "Rock");
  r.be32(3412, 123);
  r.be32(3416, 35000);
  r.be32(3420, 6);
  r.be16(3434, 0xFFFF);
  r.be16(3438, 0x8000);
  r.be16(3442, 0x0001);
  r.be16(3444, static_cast<std::uint16_t>(-2));
  r.be16(3446, 4);
  for (int n = 1; n <= 28; ++n) {
    r.be32(3448 + 4 * n, static_cast<std::uint32_t>(100 * n + k));
    r.be16(3692 + 2 * n, static_cast<std::uint16_t>(-n));
  }
  r.be32(3946, 450);
  r.be32(3998, 10220);
  r.b[4014] = 1;
  r.b[3954] = 'x';  // four bytes carried as they are
  r.b[3957] = 'y';
  r.str(4290, "4:00");
  r.be32(4546, 7);
  r.be32(4550, k);
  r.be16(4556, 1);
  r.be32(4558, 62);
  r.be32(4562, static_cast<std::uint32_t>(k));  // what a load renumbers it to
  return r;
}

std::string fileOf(int tunes) {
  std::string all;
  for (int k = 1; k <= tunes; ++k) all += independentRecord(k).b;
  return all;
}

}  // namespace

using Database = LibraryTest;

TEST_F(Database, OneTuneSavesAsOneBigEndianRecord) {
  Tune& t = addTune("x");
  t.fileKind = 1;
  t.playCount = 1;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string bytes = readFileBytes(dbPath);
  ASSERT_EQ(bytes.size(), 4566u);
  EXPECT_EQ(bytes.substr(3446, 2), std::string("\x00\x01", 2));
  EXPECT_EQ(bytes.substr(4546, 4), std::string("\x00\x00\x00\x01", 4));
  // The table in memory is left in the machine's order.
  EXPECT_EQ(+gTunes_A[1].fileKind, 1);
  EXPECT_EQ(+gTunes_A[1].playCount, 1);
}

TEST_F(Database, IndependentFileLoadsAndSavesBackByteForByte) {
  createNewDirectory(folderOf(dbPath));
  const std::string original = fileOf(3);
  writeFileBytes(dbPath, original);
  ASSERT_EQ(openDatabaseFiles(), noErr);
  ASSERT_EQ(gTotalTunes_L, 3);
  EXPECT_EQ(gStartTotalTunes_L, 3);
  const Tune& t = gTunes_A[2];
  EXPECT_EQ(t.title.view(), "Title 2");
  EXPECT_EQ(t.fileName.view(), "file2.mp3");
  EXPECT_EQ(+t.folderVolume, -3);
  EXPECT_EQ(+t.folderDirID, 0x01020306);
  EXPECT_EQ(t.filePath.view(), "/music/file2.mp3");
  EXPECT_EQ(+t.fileLength, 4000000u);
  EXPECT_EQ(+t.durationSeconds, 240);
  EXPECT_EQ(+t.dataRate, 27);
  EXPECT_EQ(+t.genreCode, 17);
  EXPECT_EQ(+t.hpe, 35000);
  EXPECT_EQ(+t.colourCategory, 6);
  EXPECT_EQ(+t.colourRed, 0xFFFF);
  EXPECT_EQ(+t.colourGreen, 0x8000);
  EXPECT_EQ(+t.colourBlue, 1);
  EXPECT_EQ(+t.evalMark, -2);
  EXPECT_EQ(+t.fileKind, 4);
  EXPECT_EQ(+t.samplePitch[28], 2802);
  EXPECT_EQ(+t.sampleAmplitude[28], -28);
  EXPECT_EQ(+t.avgAmplitude, 450);
  EXPECT_EQ(+t.ctCount, 10220);
  EXPECT_EQ(+t.justAdded, 1);
  EXPECT_EQ(t.durationText.view(), "4:00");
  EXPECT_EQ(+t.playCount, 7);
  EXPECT_EQ(+t.checked, 1);
  EXPECT_EQ(+t.matchScore, 62);
  EXPECT_EQ(gTotalOrangeTunes_L, 3);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_TRUE(readFileBytes(dbPath) == original);
}

TEST_F(Database, LoadTakesWholeRecordsAndRenumbersPermIDs) {
  createNewDirectory(folderOf(dbPath));
  std::string bytes = fileOf(3);
  for (int k = 0; k < 3; ++k) bytes.replace(static_cast<std::size_t>(k) * 4566 + 4562, 4, std::string("\x7F\x00\x00\x09", 4));
  writeFileBytes(dbPath, bytes + std::string(100, '\x55'));
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(gTotalTunes_L, 3);
  for (std::int32_t k = 1; k <= 3; ++k) EXPECT_EQ(+gTunes_A[k].permID, static_cast<std::uint32_t>(k));
}

TEST_F(Database, BytesAfterAStringsTextSurvive) {
  Tune& t = addTune("");
  t.title.assign("abcdef");
  t.title.assign("ab");  // "cdef" stays in the field after the text
  t.genre.len = 2;
  std::memcpy(t.genre.text, "PoXYZ", 5);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  std::memset(&gTunes_A[1], 0, sizeof(Tune));
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(std::memcmp(gTunes_A[1].title.text, "abcdef", 6), 0);
  EXPECT_EQ(gTunes_A[1].title.view(), "ab");
  EXPECT_EQ(std::memcmp(gTunes_A[1].genre.text, "PoXYZ", 5), 0);
}

TEST_F(Database, EmptyLibraryIsNoFileAndLoadsEmpty) {
  addTune("x");
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  ASSERT_TRUE(fileExists(dbPath));
  gTotalTunes_L = gStartTotalTunes_L = 0;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_FALSE(fileExists(dbPath));
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_TRUE(fileExists(dbPath));
  EXPECT_EQ(readFileBytes(dbPath).size(), 0u);
  EXPECT_EQ(gTotalTunes_L, 0);
}

TEST_F(Database, OnlyCommittedTunesAreSaved) {
  addTune("a");
  addTune("b");
  claimTuneRecord();  // a run in progress
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  EXPECT_EQ(readFileBytes(dbPath).size(), 2u * 4566);
}

TEST_F(Database, AFileLongerThanTheTableLoadsItsFirst30000) {
  createNewDirectory(folderOf(dbPath));
  {
    // A sparse file of 30002 records and a half: cheap to make.
    writeFileBytes(dbPath, "");
    ASSERT_EQ(::truncate(dbPath.c_str(), 30002L * 4566 + 2000), 0);
  }
  ASSERT_EQ(openDatabaseFiles(), noErr);
  EXPECT_EQ(gTotalTunes_L, 30000);
  EXPECT_EQ(gTotalDarkBlueTunes_L, 0);
  EXPECT_EQ(+gTunes_A[30000].permID, 30000u);
  // The two left out are not dropped from the file by the next save.
  EXPECT_EQ(gDatabaseTunesLeftOut, 2);
  EXPECT_NE(saveDatabaseFiles(), noErr);
  EXPECT_NE(librarySaveFailure().reason.find("30002 tunes"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(dbPath), 30002u * 4566 + 2000);
}

TEST_F(Database, AFailedSaveLeavesThePreviousFile) {
  addTune("first");
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string before = readFileBytes(dbPath);
  for (int i = 0; i < 50; ++i) addTune("more");
  // A file-size limit makes the write fail part-way, as a full disk would.
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{20000, 20000};
    setrlimit(RLIMIT_FSIZE, &lim);
    if (saveDatabaseFiles() == noErr) _exit(0);
    const LibrarySaveFailure& f = librarySaveFailure();
    _exit(f.pending && f.path == dbPath && !f.reason.empty() ? 3 : 4);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_TRUE(readFileBytes(dbPath) == before);
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(folderOf(dbPath))) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(Database, ASaveKilledPartWayLeavesALoadableLibrary) {
  for (int i = 0; i < 3; ++i) addTune("old");
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string before = readFileBytes(dbPath);
  for (int i = 0; i < 8000; ++i) addTune("new");  // about 36 MB to write
  for (int delayUs : {0, 2000, 10000, 40000}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      saveDatabaseFiles();
      _exit(0);
    }
    usleep(static_cast<useconds_t>(delayUs));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string now = readFileBytes(dbPath);
    // Either the old library or the complete new one, never a piece.
    EXPECT_TRUE(now == before || now.size() == 8003u * 4566) << "size " << now.size();
  }
  // The next save clears away the temporaries the killed ones left, and only
  // those: a file of another name stays.
  writeFileBytes(dbPath + ".notes", "x");
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folderOf(dbPath))) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"LumarollDatabase", "LumarollDatabase.notes"}));
}

TEST_F(Database, ALinkedLibraryKeepsItsLinkAndAFileKeepsItsMode) {
  const std::string real = dir.file("elsewhere/lib.db");
  createNewDirectory(folderOf(real));
  createNewDirectory(folderOf(dbPath));
  ASSERT_EQ(::symlink("../elsewhere/lib.db", dbPath.c_str()), 0);
  const mode_t old = ::umask(027);
  addTune("a");
  EXPECT_EQ(saveDatabaseFiles(), noErr);
  struct stat st {};
  ASSERT_EQ(::lstat(dbPath.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(readFileBytes(real).size(), 4566u);
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // a new file: the umask decides
  ::chmod(real.c_str(), 0604);
  addTune("b");
  EXPECT_EQ(saveDatabaseFiles(), noErr);
  ::umask(old);
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0604u);  // a replaced file keeps its mode
  EXPECT_EQ(st.st_size, 2 * 4566);
}

TEST_F(Database, ALibraryThatIsNotAPlainFileIsRefusedWithoutWaiting) {
  createNewDirectory(folderOf(dbPath));
  ASSERT_EQ(::mkfifo(dbPath.c_str(), 0644), 0);
  // In a child with an alarm: a load that waits on the pipe fails the test
  // instead of hanging it.
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    alarm(5);
    openDatabaseFiles();
    _exit(gDatabaseLoadIncomplete && libraryLoadProblem() == "it is not a regular file" ? 0 : 3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the load hung on a named pipe";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Database, UnreadableLibraryIsNeverOverwritten) {
  // A folder where the file should be cannot be read as a library.
  ASSERT_TRUE(createNewDirectory(dbPath));
  openDatabaseFiles();
  EXPECT_TRUE(gDatabaseLoadIncomplete);
  EXPECT_EQ(gTotalTunes_L, 0);
  addTune("x");
  EXPECT_NE(saveDatabaseFiles(), noErr);
  struct stat st {};
  ASSERT_EQ(::stat(dbPath.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(Database, RandomBytesLoadWithinBounds) {
  createNewDirectory(folderOf(dbPath));
  std::mt19937 rng(1234);
  for (int round = 0; round < 20; ++round) {
    const std::size_t size = rng() % (5 * 4566 + 1);
    std::string bytes(size, '\0');
    for (auto& c : bytes) c = static_cast<char>(rng());
    writeFileBytes(dbPath, bytes);
    ASSERT_EQ(openDatabaseFiles(), noErr);
    ASSERT_EQ(gTotalTunes_L, static_cast<std::int32_t>(size / 4566));
    std::size_t total = 0;
    for (std::int32_t k = 1; k <= gTotalTunes_L; ++k) {
      const Tune& t = gTunes_A[k];
      total += t.title.view().size() + t.genre.view().size() + t.genreGroup.view().size() +
               t.fileName.view().size() + t.durationText.view().size();
      EXPECT_LE(t.genre.view().size(), 63u);
    }
    EXPECT_GE(total, 0u);
    if (gTotalTunes_L > 0) {
      ASSERT_EQ(saveDatabaseFiles(), noErr);
      EXPECT_TRUE(readFileBytes(dbPath).substr(0, 4562) == bytes.substr(0, 4562));
    }
  }
}

TEST_F(Database, MissingHomeFolderBeepsAndExits) {
  setLibraryFilePath("");
  const char* home = std::getenv("HOME");
  const std::string saved = home ? home : "";
  EXPECT_EXIT(
      {
        unsetenv("HOME");
        unsetenv("XDG_DATA_HOME");
        saveDatabaseFiles();
        std::exit(9);
      },
      ::testing::ExitedWithCode(0), "");
}
