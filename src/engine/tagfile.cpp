#include "engine/tagfile.h"

#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>

#include "library/tune.h"

namespace {

// Closes the descriptor on every path.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string_view tagFileName(std::string_view filePath) {
  const std::size_t slash = filePath.rfind('/');
  std::string_view name = slash == std::string_view::npos ? filePath : filePath.substr(slash + 1);
  return name.substr(0, 63);
}

bool readTagFile(std::string_view filePath, std::uint64_t minimumLength, std::size_t (*prefix)(std::uint64_t),
                 TagFileRead& out) {
  const std::string path(filePath);
  FileDescriptor fd(openRegularFileForReading(path.c_str()));
  if (fd.get() < 0) return false;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  out.length = static_cast<std::uint64_t>(st.st_size);
  if (out.length < minimumLength) return false;
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(prefix(out.length), out.length));
  try {
    out.block.assign(want, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::size_t got = 0;
  while (got < want) {
    const ssize_t r = ::read(fd.get(), out.block.data() + got, want - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

std::size_t findInBlock(std::span<const std::uint8_t> block, std::string_view name) {
  const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
  return bytes.find(name);
}

bool isDuplicateTune(std::string_view artist, std::string_view title, std::string_view album) {
  for (std::int32_t i = 1; i < gTotalTunes_L; ++i) {
    const Tune& t = gTunes_A[i];
    if (t.artist == artist && t.title == title && t.album == album) return true;
  }
  return false;
}

TagRefusal gLastTagRefusal = TagRefusal::none;

bool claimTagSlot() { return claimTuneRecord() != 0; }

void giveBackTagSlot() {
  if (gTotalTunes_L > 0) --gTotalTunes_L;
}

void storeTagFile(Tune& t, std::uint32_t fileLength, std::uint16_t fileKind, std::string_view name,
                  std::int16_t folderVolume, std::int32_t folderDirID) {
  t.fileLength = fileLength;
  t.fileKind = fileKind;
  t.fileName.assign(name);
  t.folderVolume = folderVolume;
  t.folderDirID = folderDirID;
}
