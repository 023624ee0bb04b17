#include "ingest/scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Owns an open folder listing and closes it on every path.
class DirHandle {
 public:
  explicit DirHandle(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~DirHandle() {
    if (dir_) ::closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

void fillRef(FolderRef& ref, const struct stat& st) {
  ref.device = static_cast<std::uint64_t>(st.st_dev);
  ref.inode = static_cast<std::uint64_t>(st.st_ino);
  ref.volume = static_cast<std::int16_t>(static_cast<std::uint16_t>(st.st_dev));
  ref.dirID = static_cast<std::int32_t>(static_cast<std::uint32_t>(st.st_ino));
}

// Reads the names of a folder, sorted bytewise: 0 or the error met.
OSErr listFolder(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  DirHandle dir(path);
  if (!dir.get()) return osErrFromErrno(errno);
  errno = 0;
  while (const dirent* e = ::readdir(dir.get())) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
    errno = 0;
  }
  // A listing broken off half way is not offered as the whole folder.
  if (errno != 0) {
    const OSErr err = osErrFromErrno(errno);
    names.clear();
    return err;
  }
  std::sort(names.begin(), names.end());  // char_traits<char> compares as unsigned bytes
  return noErr;
}

}  // namespace

bool makeFolderRef(const std::string& path, FolderRef& ref) {
  if (path.empty()) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  ref = FolderRef{};
  ref.path = path.back() == '/' ? path : path + '/';
  fillRef(ref, st);
  return true;
}

OSErr ScanFolder(FolderScan& scan) {
  if (scan.itemIndex == 0 || scan.listedPath != scan.folder.path) {
    scan.listedPath = scan.folder.path;
    if (OSErr err = listFolder(scan.folder.path, scan.listing); err != noErr) {
      scan.listing.clear();
      return err < 0 ? err : ioErr;
    }
  }
  if (scan.itemIndex < 0 || static_cast<std::size_t>(scan.itemIndex) >= scan.listing.size()) return fnfErr;
  scan.itemName = scan.listing[static_cast<std::size_t>(scan.itemIndex)];
  ++scan.itemIndex;

  const std::string itemPath = scan.folder.path + scan.itemName;
  struct stat st {};
  // stat follows links: a link to a folder is a folder, a dangling one a file.
  const bool known = ::stat(itemPath.c_str(), &st) == 0;
  if (known && S_ISDIR(st.st_mode)) {
    std::memcpy(scan.fileType, "fldr", 4);
    std::memcpy(scan.creator, "----", 4);
    scan.itemSize = 0;
    scan.attributes = kFolderAttribute;
    scan.regularFile = false;
    if (scan.descend != 0) {
      scan.folder.path = itemPath + '/';
      fillRef(scan.folder, st);
    }
    return 1;
  }
  std::memcpy(scan.fileType, "????", 4);
  std::memcpy(scan.creator, "????", 4);
  scan.itemSize = known ? static_cast<std::uint64_t>(st.st_size) : 0;
  scan.attributes = 0;
  scan.regularFile = known && S_ISREG(st.st_mode);
  return 0;
}
