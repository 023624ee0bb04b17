#include "core/prefs.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/errors.h"
#include "core/paths.h"
#include "core/pstring.h"
#include "platform/toolbox.h"

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

[[noreturn]] void missingFolder() {
  SysBeep();
  exitProgram(0);
}

}  // namespace

std::int16_t byteExchange16(std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((u << 8) | (u >> 8)));
}

void setDefaultPrefs() {
  const ToolboxRect screen = toolboxMainScreenRect();
  gWin1SizeVert_S = static_cast<std::int16_t>(screen.height - 100);
  gWin1SizeHor_S = static_cast<std::int16_t>(screen.width - 100);
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

void loadPrefs() {
  const std::string path = prefsFilePath();
  if (path.empty()) missingFolder();
  if (!fileExists(path)) {
    createNewDirectory(folderOf(path));
    resetError(touchFile(path));
    return;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    resetError(osErrFromErrno(errno));
    return;
  }
  std::ostringstream all;
  all << in.rdbuf();
  applyPrefsFileText(all.str());
}

void savePrefs() {
  ToolboxRect frame;
  if (toolboxGetWindowContentRect(1, frame)) {
    gWin1PosHor_S = static_cast<std::int16_t>(frame.left);
    gWin1PosVert_S = static_cast<std::int16_t>(frame.top);
    gWin1SizeHor_S = static_cast<std::int16_t>(frame.width);
    gWin1SizeVert_S = static_cast<std::int16_t>(frame.height);
  }
  const std::string path = prefsFilePath();
  if (path.empty()) missingFolder();
  createNewDirectory(folderOf(path));
  // Written beside the old file and renamed over it, so a crash while
  // writing leaves the previous settings.
  const std::string text = prefsFileText();
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    resetError(osErrFromErrno(errno));
    return;
  }
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  const int err = ok ? 0 : errno;
  ::close(fd);
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
    const int e = ok ? errno : err;
    ::unlink(tmp.c_str());
    resetError(osErrFromErrno(e ? e : EIO));
  }
}
