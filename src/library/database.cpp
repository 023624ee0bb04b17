#include "library/database.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/regular_file.h"
#include "platform/critical_error.h"
#include "platform/toolbox.h"

bool gDatabaseLoadIncomplete = false;
std::int64_t gDatabaseTunesLeftOut = 0;

namespace {

std::string gLoadProblem;
LibrarySaveFailure gSaveFailure;
int gLockFd = -1;
std::string gLockPath;

constexpr auto makeSwap16() {
  std::array<std::uint16_t, 15 + 30 + 30 + 3> a{};
  std::size_t n = 0;
  for (std::uint16_t o : {1138, 1912, 2434, 2436, 2438, 2440, 2510, 3432, 3434, 3436, 3438, 3440, 3442, 3444, 3446})
    a[n++] = o;
  for (std::uint16_t o = 3694; o <= 3752; o += 2) a[n++] = o;  // sampleAmplitude 1..30
  for (std::uint16_t o = 3816; o <= 3874; o += 2) a[n++] = o;  // reserved array 1..30
  for (std::uint16_t o : {3936, 4554, 4556}) a[n++] = o;
  return a;
}

constexpr auto makeSwap32() {
  std::array<std::uint16_t, 10 + 30 + 4 + 14 + 4 + 4> a{};
  std::size_t n = 0;
  for (std::uint16_t o : {1140, 2426, 2430, 2442, 3408, 3412, 3416, 3420, 3424, 3428}) a[n++] = o;
  for (std::uint16_t o = 3452; o <= 3568; o += 4) a[n++] = o;  // samplePitch 1..30
  for (std::uint16_t o : {3938, 3942, 3946, 3950}) a[n++] = o;
  for (std::uint16_t o = 3958; o <= 4010; o += 4) a[n++] = o;
  for (std::uint16_t o : {4018, 4022, 4026, 4030}) a[n++] = o;
  for (std::uint16_t o : {4546, 4550, 4558, 4562}) a[n++] = o;
  return a;
}

constexpr auto kSwap16 = makeSwap16();
constexpr auto kSwap32 = makeSwap32();
static_assert(kSwap16.back() == 4556 && kSwap32.back() == 4562);

// Writes all of buf, resuming after short writes and interruptions.
int writeAll(int fd, const std::uint8_t* buf, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, buf, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    buf += w;
    n -= static_cast<std::size_t>(w);
  }
  return 0;
}

// Reads up to n bytes; returns the count read, -1 with errno on error.
ssize_t readAll(int fd, std::uint8_t* buf, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd, buf + got, n - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return static_cast<ssize_t>(got);
}

OSErr fail(int err) {
  const OSErr code = osErrFromErrno(err);
  resetError(code);
  return code;
}

OSErr saveFailed(const std::string& path, int err, std::string reason = {}) {
  gSaveFailure.path = path;
  gSaveFailure.reason = reason.empty() ? std::strerror(err) : std::move(reason);
  gSaveFailure.pending = true;
  return fail(err);
}

// A new library file gets the mode the person's umask allows; a replaced one
// keeps the mode of the file it replaces.
mode_t modeForSave(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A save killed half way leaves its temporary file behind, as large as the
// library. Those of earlier saves (the name the save gives them, last
// changed before this save began) are removed.
void removeStaleTemporaries(const std::string& target, const timespec& saveStart) {
  const std::string folder = folderOf(target);
  const std::string base = target.substr(folder.size()) + ".";
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name = e->d_name;
    if (name.size() != base.size() + 6 || !name.starts_with(base)) continue;
    bool ours = true;
    for (char c : name.substr(base.size()))
      ours = ours && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
    struct stat st {};
    const std::string path = folder + std::string(name);
    if (!ours || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    const bool older = st.st_mtim.tv_sec < saveStart.tv_sec ||
                       (st.st_mtim.tv_sec == saveStart.tv_sec && st.st_mtim.tv_nsec < saveStart.tv_nsec);
    if (older) ::unlink(path.c_str());
  }
  ::closedir(d);
}

void finishLoad() {
  gStartTotalTunes_L = gTotalTunes_L;
  for (std::int32_t k = 1; k <= gStartTotalTunes_L; ++k) gTunes_A[k].permID = static_cast<std::uint32_t>(k);
  recountColours();
}

}  // namespace

const std::span<const std::uint16_t> kSwap16Offsets{kSwap16};
const std::span<const std::uint16_t> kSwap32Offsets{kSwap32};

void swapTuneRecordBytes(std::uint8_t* record) {
  if constexpr (std::endian::native == std::endian::big) return;
  for (std::uint16_t o : kSwap16) std::swap(record[o], record[o + 1]);
  for (std::uint16_t o : kSwap32) {
    std::uint32_t v = 0;
    std::memcpy(&v, record + o, 4);
    v = __builtin_bswap32(v);
    std::memcpy(record + o, &v, 4);
  }
}

const std::string& libraryLoadProblem() { return gLoadProblem; }
LibrarySaveFailure& librarySaveFailure() { return gSaveFailure; }

std::string libraryTargetPath() {
  std::string p = libraryFilePath();
  for (int hops = 0; hops < 40 && !p.empty(); ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string link(4096, '\0');
    const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) break;
    link.resize(static_cast<std::size_t>(n));
    p = link[0] == '/' ? link : folderOf(p) + link;
  }
  return p;
}

LibraryLock lockLibraryFile() {
  const std::string target = libraryTargetPath();
  if (gLockFd >= 0 && gLockPath == target) return LibraryLock::taken;
  unlockLibraryFile();
  if (target.empty()) return LibraryLock::unavailable;
  createNewDirectory(folderOf(target));
  const int fd = ::open((target + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return LibraryLock::unavailable;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    return e == EWOULDBLOCK ? LibraryLock::held : LibraryLock::unavailable;
  }
  gLockFd = fd;
  gLockPath = target;
  return LibraryLock::taken;
}

void unlockLibraryFile() {
  if (gLockFd < 0) return;
  ::close(gLockFd);
  gLockFd = -1;
}

OSErr saveDatabaseFiles() {
  const std::string path = libraryFilePath();
  if (path.empty()) {
    SysBeep();
    exitProgram(0);
  }
  if (gDatabaseLoadIncomplete) {
    // Not an error of this save: the file is kept from being overwritten.
    gSaveFailure.path = path;
    gSaveFailure.reason = "it could not be read completely when Lumaroll started (" + gLoadProblem +
                          "), so it is left as it is and changes are not saved";
    gSaveFailure.pending = true;
    return ioErr;
  }
  timespec saveStart{};
  ::clock_gettime(CLOCK_REALTIME, &saveStart);
  // A symbolic link stays a link: its target is what gets replaced.
  const std::string target = libraryTargetPath();
  if (gStartTotalTunes_L <= 0) {
    if (::unlink(target.c_str()) != 0 && errno != ENOENT) return saveFailed(path, errno);
    gSaveFailure = {};
    return noErr;
  }
  const std::string folder = folderOf(target);
  createNewDirectory(folder);
  removeStaleTemporaries(target, saveStart);
  std::string tmp = target + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return saveFailed(path, errno);
  ::fchmod(fd, modeForSave(target));

  // The records are converted chunk by chunk in a small buffer: the table
  // itself is never in file order, whatever happens during the write.
  constexpr std::int32_t kChunk = 256;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(kChunk) * kTuneRecordSize);
  int err = 0;
  for (std::int32_t first = 1; first <= gStartTotalTunes_L && err == 0; first += kChunk) {
    const std::int32_t n = std::min(kChunk, gStartTotalTunes_L - first + 1);
    std::memcpy(buf.data(), gTunes_A.records(first, n).data(), static_cast<std::size_t>(n) * kTuneRecordSize);
    for (std::int32_t k = 0; k < n; ++k)
      swapTuneRecordBytes(buf.data() + static_cast<std::size_t>(k) * kTuneRecordSize);
    err = writeAll(fd, buf.data(), static_cast<std::size_t>(n) * kTuneRecordSize);
  }
  if (err == 0 && ::fdatasync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tmp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return saveFailed(path, err);
  }
  gSaveFailure = {};
  // Make the rename itself durable.
  if (const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return noErr;
}

OSErr openDatabaseFiles() {
  const std::string path = libraryFilePath();
  if (path.empty()) {
    SysBeep();
    exitProgram(0);
  }
  gDatabaseLoadIncomplete = false;
  gDatabaseTunesLeftOut = 0;
  gLoadProblem.clear();
  gTotalTunes_L = 0;
  if (!fileExists(path)) {
    createNewDirectory(folderOf(path));
    const int t = touchFile(path);
    finishLoad();
    if (t != 0) resetError(t);
    return noErr;
  }
  const int fd = openRegularFileForReading(path.c_str());
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    gDatabaseLoadIncomplete = true;
    gLoadProblem = e == EINVAL ? "it is not a regular file" : std::strerror(e);
    finishLoad();
    return fail(e);
  }
  const std::int64_t inFile = st.st_size / static_cast<std::int64_t>(kTuneRecordSize);
  const std::int64_t whole = std::min<std::int64_t>(inFile, kMaxTunes);
  if (inFile > kMaxTunes) {
    // Saving what fits would drop the rest of the file without a word.
    gDatabaseLoadIncomplete = true;
    gDatabaseTunesLeftOut = inFile - kMaxTunes;
    gLoadProblem = "it holds " + std::to_string(inFile) + " tunes, more than the " + std::to_string(kMaxTunes) +
                   " Lumaroll can hold";
  }
  OSErr result = noErr;
  if (whole > 0) {
    const std::size_t want = static_cast<std::size_t>(whole) * kTuneRecordSize;
    auto* dst = reinterpret_cast<std::uint8_t*>(gTunes_A.records(1, whole).data());
    const ssize_t got = readAll(fd, dst, want);
    if (got < 0) {
      result = osErrFromErrno(errno);
      gDatabaseLoadIncomplete = true;
      gLoadProblem = std::strerror(errno);
    } else {
      // A file that shrank under us yields the whole records that did arrive.
      if (static_cast<std::size_t>(got) < want) {
        gDatabaseLoadIncomplete = true;
        gLoadProblem = "it became shorter while it was read";
      }
      gTotalTunes_L = static_cast<std::int32_t>(static_cast<std::size_t>(got) / kTuneRecordSize);
      for (std::int32_t k = 1; k <= gTotalTunes_L; ++k)
        swapTuneRecordBytes(reinterpret_cast<std::uint8_t*>(&gTunes_A[k]));
    }
  }
  ::close(fd);
  finishLoad();
  if (result != noErr) resetError(result);
  return result;
}
