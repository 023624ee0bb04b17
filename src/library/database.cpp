#include "library/database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/toolbox.h"

bool gDatabaseLoadIncomplete = false;

namespace {

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
    std::uint32_t v;
    std::memcpy(&v, record + o, 4);
    v = __builtin_bswap32(v);
    std::memcpy(record + o, &v, 4);
  }
}

OSErr saveDatabaseFiles() {
  const std::string path = libraryFilePath();
  if (path.empty()) {
    SysBeep();
    exitProgram(0);
  }
  if (gDatabaseLoadIncomplete) {
    std::fprintf(stderr, "Lumaroll: %s could not be read completely; it is left as it is.\n", path.c_str());
    return ioErr;
  }
  if (gStartTotalTunes_L <= 0) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return fail(errno);
    return noErr;
  }
  const std::string folder = folderOf(path);
  createNewDirectory(folder);
  std::string tmp = path + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return fail(errno);
  ::fchmod(fd, 0644);

  // The records are converted chunk by chunk in a small buffer: the table
  // itself is never in file order, whatever happens during the write.
  constexpr std::int32_t kChunk = 256;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(kChunk) * kTuneRecordSize);
  int err = 0;
  for (std::int32_t first = 1; first <= gStartTotalTunes_L && err == 0; first += kChunk) {
    const std::int32_t n = std::min(kChunk, gStartTotalTunes_L - first + 1);
    std::memcpy(buf.data(), gTunes_A.records(first, n).data(), static_cast<std::size_t>(n) * kTuneRecordSize);
    for (std::int32_t k = 0; k < n; ++k) swapTuneRecordBytes(buf.data() + static_cast<std::size_t>(k) * kTuneRecordSize);
    err = writeAll(fd, buf.data(), static_cast<std::size_t>(n) * kTuneRecordSize);
  }
  if (err == 0 && ::fdatasync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return fail(err);
  }
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
  gTotalTunes_L = 0;
  if (!fileExists(path)) {
    createNewDirectory(folderOf(path));
    const int t = touchFile(path);
    finishLoad();
    if (t != 0) resetError(t);
    return noErr;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    gDatabaseLoadIncomplete = true;
    finishLoad();
    return fail(errno);
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int e = errno ? errno : EISDIR;
    ::close(fd);
    gDatabaseLoadIncomplete = true;
    finishLoad();
    return fail(e);
  }
  const std::int64_t whole = std::min<std::int64_t>(st.st_size / static_cast<std::int64_t>(kTuneRecordSize), kMaxTunes);
  OSErr result = noErr;
  if (whole > 0) {
    const std::size_t want = static_cast<std::size_t>(whole) * kTuneRecordSize;
    auto* dst = reinterpret_cast<std::uint8_t*>(gTunes_A.records(1, whole).data());
    const ssize_t got = readAll(fd, dst, want);
    if (got < 0) {
      result = osErrFromErrno(errno);
      gDatabaseLoadIncomplete = true;
    } else {
      // A file that shrank under us yields the whole records that did arrive.
      if (static_cast<std::size_t>(got) < want) gDatabaseLoadIncomplete = true;
      gTotalTunes_L = static_cast<std::int32_t>(static_cast<std::size_t>(got) / kTuneRecordSize);
      for (std::int32_t k = 1; k <= gTotalTunes_L; ++k) swapTuneRecordBytes(reinterpret_cast<std::uint8_t*>(&gTunes_A[k]));
    }
  }
  ::close(fd);
  finishLoad();
  if (result != noErr) resetError(result);
  return result;
}
