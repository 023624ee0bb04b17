#include "core/prefs.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/errors.h"
#include "core/paths.h"
#include "core/pstring.h"
#include "core/regular_file.h"

std::int16_t gWin1SizeVert_S = 0;
std::int16_t gWin1SizeHor_S = 0;
std::int16_t gWin1PosHor_S = 0;
std::int16_t gWin1PosVert_S = 0;
std::int16_t gPlayerVolume_S = kDefaultPlayerVolume;

namespace {

// The five settings in file order.
std::array<std::int16_t*, 5> prefValues() {
  return {&gWin1SizeVert_S, &gWin1SizeHor_S, &gWin1PosHor_S, &gWin1PosVert_S, &gPlayerVolume_S};
}

// The number parser of the file's lines: leading blanks and tabs skipped, an
// optional sign, the digits up to the first other character (a comma, the
// end of the line). Text without digits reads as 0.
std::int16_t parseLine(const std::string& line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  bool neg = false;
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) neg = line[i++] == '-';
  std::uint32_t v = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') v = v * 10u + static_cast<std::uint32_t>(line[i++] - '0');
  if (neg) v = 0u - v;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFFu));
}

std::string gSaveProblem;

[[noreturn]] void missingFolder() { exitProgram(0); }

}  // namespace

std::int16_t byteExchange16(std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((u << 8) | (u >> 8)));
}

void setDefaultPrefs(std::int32_t screenWidth, std::int32_t screenHeight) {
  gWin1SizeVert_S = static_cast<std::int16_t>(screenHeight - 100);
  gWin1SizeHor_S = static_cast<std::int16_t>(screenWidth - 100);
  gWin1PosHor_S = 0;
  gWin1PosVert_S = 0;
  gPlayerVolume_S = kDefaultPlayerVolume;
}

std::string prefsFileText() {
  std::string text;
  for (std::int16_t* v : prefValues()) text += numText(byteExchange16(*v)) + "\r";
  return text;
}

// A line that is missing (a short or empty file) leaves its setting as it
// was. Unlike a raw read-then-exchange, the kept value is not byte-exchanged:
// exchanging a value that was never read would turn the default volume 273
// into 4353 and the window size into nonsense after a crash that left the
// file empty.
void applyPrefsFileText(const std::string& text) {
  std::size_t pos = 0;
  for (std::int16_t* v : prefValues()) {
    if (pos >= text.size()) break;
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    *v = byteExchange16(parseLine(text.substr(pos, end - pos)));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

OSErr loadPrefs() {
  const std::string path = prefsFilePath();
  if (path.empty()) missingFolder();
  if (!fileExists(path)) {
    createNewDirectory(folderOf(path));
    return static_cast<OSErr>(touchFile(path));
  }
  const int fd = openRegularFileForReading(path.c_str());
  if (fd < 0) {
    std::fprintf(stderr, "Lumaroll: %s cannot be read (%s); the default settings are used.\n", path.c_str(),
                 errno == EINVAL ? "not a regular file" : std::strerror(errno));
    return osErrFromErrno(errno);
  }
  // Five short lines: anything much longer is not a preferences file.
  std::string text(kLongestPrefsFile + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t r = ::read(fd, text.data() + got, text.size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
  if (got > kLongestPrefsFile) {
    std::fprintf(stderr, "Lumaroll: %s is too long to be a preferences file; the default settings are used.\n",
                 path.c_str());
    return noErr;
  }
  text.resize(got);
  applyPrefsFileText(text);
  return noErr;
}

const std::string& prefsSaveProblem() { return gSaveProblem; }

OSErr savePrefs() {
  const std::string path = prefsFilePath();
  if (path.empty()) missingFolder();
  createNewDirectory(folderOf(path));
  // Written beside the old file and renamed over it, so a crash while
  // writing leaves the previous settings.
  const std::string text = prefsFileText();
  const std::string tmp = path + ".tmp";
  gSaveProblem.clear();
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    gSaveProblem = std::strerror(errno);
    return osErrFromErrno(errno);
  }
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  const int err = ok ? 0 : (errno ? errno : ENOSPC);  // a short write is a full disk
  const bool closed = ::close(fd) == 0;
  const int closeErr = closed ? 0 : errno;
  if (!ok || !closed || ::rename(tmp.c_str(), path.c_str()) != 0) {
    const int e = !ok ? err : (!closed ? closeErr : errno);
    ::unlink(tmp.c_str());
    gSaveProblem = std::strerror(e ? e : EIO);
    return osErrFromErrno(e ? e : EIO);
  }
  return noErr;
}
