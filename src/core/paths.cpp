#include "core/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/errors.h"

namespace {

std::string gLibraryPathOverride;
std::string gPrefsPathOverride;

std::string withSlash(std::string p) {
  if (!p.empty() && p.back() != '/') p += '/';
  return p;
}

// An XDG variable counts only when it holds an absolute path.
std::string xdgOr(const char* var, const char* fallbackUnderHome) {
  if (const char* v = std::getenv(var); v && v[0] == '/') return withSlash(v);
  const std::string home = GetSysFolderVol("cusr");
  if (home.empty()) return {};
  return home + fallbackUnderHome;
}

}  // namespace

std::string GetSysFolderVol(std::string_view folderType) {
  if (folderType == "cusr") {
    const char* h = std::getenv("HOME");
    if (!h || h[0] != '/') return {};
    return withSlash(h);
  }
  if (folderType == "pref") return xdgOr("XDG_CONFIG_HOME", ".config/");
  if (folderType == "data") return xdgOr("XDG_DATA_HOME", ".local/share/");
  return {};
}

std::string libraryFilePath() {
  if (!gLibraryPathOverride.empty()) return gLibraryPathOverride;
  const std::string data = GetSysFolderVol("data");
  return data.empty() ? std::string{} : data + "Lumaroll/LumarollDatabase";
}
void setLibraryFilePath(std::string path) { gLibraryPathOverride = std::move(path); }

std::string prefsFilePath() {
  if (!gPrefsPathOverride.empty()) return gPrefsPathOverride;
  const std::string pref = GetSysFolderVol("pref");
  return pref.empty() ? std::string{} : pref + "Orvane-Lumaroll/LumarollPrefs";
}
void setPrefsFilePath(std::string path) { gPrefsPathOverride = std::move(path); }

std::string folderOf(std::string_view filePath) {
  const auto slash = filePath.rfind('/');
  if (slash == std::string_view::npos) return "./";
  return std::string(filePath.substr(0, slash + 1));
}

bool createNewDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::string partial;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    const auto next = path.find('/', pos);
    partial = path.substr(0, next == std::string::npos ? path.size() : next);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int touchFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return osErrFromErrno(errno);
  ::close(fd);
  return 0;
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}
