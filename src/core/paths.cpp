#include "core/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Reads XDG_MUSIC_DIR="$HOME/Music" style lines the way xdg-user-dir does:
// "$HOME/" prefixed or absolute paths only.
std::string musicFolderPath() {
  const std::string home = GetSysFolderVol("cusr");
  if (home.empty()) return {};
  const std::string config = GetSysFolderVol("pref");
  if (std::FILE* f = config.empty() ? nullptr : std::fopen((config + "user-dirs.dirs").c_str(), "r")) {
    char line[4096];
    std::string found;
    while (std::fgets(line, sizeof line, f)) {
      std::string l(line);
      while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
      const std::string key = "XDG_MUSIC_DIR=\"";
      if (l.rfind(key, 0) != 0 || l.size() < key.size() + 1 || l.back() != '"') continue;
      std::string value = l.substr(key.size(), l.size() - key.size() - 1);
      if (value.rfind("$HOME/", 0) == 0)
        value = home + value.substr(6);
      else if (value == "$HOME")
        value = home;
      if (!value.empty() && value[0] == '/') found = withSlash(value);
    }
    std::fclose(f);
    if (!found.empty()) return found;
  }
  return home + "Music/";
}

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

std::string fileURLOfPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~' || b == '/') {
      url += c;
    } else {
      url += '%';
      url += kHex[b >> 4];
      url += kHex[b & 15];
    }
  }
  return url;
}
