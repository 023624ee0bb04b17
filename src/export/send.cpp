#include "export/send.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/macroman.h"
#include "core/paths.h"
#include "library/tune.h"
#include "platform/toolbox.h"

extern char** environ;

std::string gScriptBuffer;

namespace {

constexpr std::int16_t kMainWindow = 1;
constexpr std::int16_t kActivityText = 1000;
constexpr std::int16_t kNameSheet = 4000;
constexpr std::int16_t kSendProgress = 23080;

// The full path of an executable named `name` on the PATH, or "".
std::string findOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Runs `program -` with `input` on its standard input; returns the exit
// status (-1 when it could not run) and what it wrote to stdout and stderr.
int runWithInput(const std::string& program, const std::string& input, std::string& output) {
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return -1;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return -1;
  }
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, in[0], 0);
  posix_spawn_file_actions_adddup2(&fa, out[1], 1);
  posix_spawn_file_actions_adddup2(&fa, out[1], 2);
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("-"), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &fa, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&fa);
  ::close(in[0]);
  ::close(out[1]);
  if (rc != 0) {
    ::close(in[1]);
    ::close(out[0]);
    return -1;
  }
  // Scripts are small; write them whole, then read the answer to its end.
  std::size_t done = 0;
  while (done < input.size()) {
    const ssize_t w = ::write(in[1], input.data() + done, input.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) break;
    done += static_cast<std::size_t>(w);
  }
  ::close(in[1]);
  char buf[4096];
  for (;;) {
    const ssize_t r = ::read(out[0], buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    output.append(buf, static_cast<std::size_t>(r));
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file name from a playlist name: UTF-8, no slashes or NULs, not hidden.
std::string playlistFileName(std::string_view name) {
  std::string file = storedToDisplay(name);
  for (auto& c : file)
    if (c == '/' || c == '\0') c = '-';
  if (!file.empty() && file[0] == '.') file[0] = '_';
  if (file.empty()) file = "Playlist";
  return file + ".m3u";
}

}  // namespace

void writeScriptLine(std::string_view line) {
  gScriptBuffer.append(line);
  gScriptBuffer += '\r';
}

std::int16_t AppleScriptRun(Str255& result) {
  const std::string script = std::move(gScriptBuffer);
  gScriptBuffer.clear();
  const std::string runner = findOnPath("osascript");
  if (runner.empty()) {
    result.assign("AppleScript is not available");
    return -1;
  }
  if (script.empty()) return -1;
  std::string output;
  const int status = runWithInput(runner, script, output);
  if (status < 0) {
    result.assign("ERROR: Couldn't launch AppleScript");
    return -1;
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  result.assign(output);
  return status == 0 ? 0 : -1753;
}

std::string appleScriptQuote(std::string_view text) {
  std::string q = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

std::string tuneScript(std::string_view playlistName, std::string_view filePath) {
  const std::string Q = appleScriptQuote(playlistName);
  const std::string P = appleScriptQuote(filePath);
  const std::string lines[] = {
      "tell application \"iTunes\"",
      "try",
      "with timeout of 300 seconds",
      "set myTrack to (add " + P + ")",
      "set dbid to myTrack's database ID",
      "if not (exists playlist " + Q + ") then make new user playlist with properties {name:" + Q + "}",
      "if not (exists (some track of playlist " + Q + " whose database ID is dbid)) then",
      "duplicate myTrack to playlist  " + Q,
      "end if",
      "end timeout",
      "end try",
      "end tell",
  };
  std::string s;
  for (const auto& l : lines) s += l + "\r";
  return s;
}

std::string activationScript() { return "tell application \"iTunes\"\ractivate\rend tell\r"; }

std::int32_t sendCountForLimit(std::string_view limitText, std::int32_t total) {
  std::size_t i = 0;
  while (i < limitText.size() && (limitText[i] == ' ' || limitText[i] == '\t')) ++i;
  bool negative = false;
  if (i < limitText.size() && (limitText[i] == '-' || limitText[i] == '+')) negative = limitText[i++] == '-';
  std::int64_t limit = 0;
  while (i < limitText.size() && limitText[i] >= '0' && limitText[i] <= '9') {
    limit = limit * 10 + (limitText[i++] - '0');
    if (limit > total) break;  // anything above the playlist sends it whole
  }
  if (negative) limit = -limit;
  return (limit >= 1 && limit <= total) ? static_cast<std::int32_t>(limit) : total;
}

namespace {

// Tag text on an #EXTINF line: a line break in a title would start a line of
// its own, which another player reads as an address to fetch. Control
// characters (and the Unicode line and paragraph separators) become blanks.
std::string oneLine(std::string text) {
  for (const std::string_view sep : {"\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"})
    for (std::size_t at = text.find(sep); at != std::string::npos; at = text.find(sep, at))
      text.replace(at, sep.size(), " ");
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

// A path whose bytes would break the line is written as a file:// address
// with those bytes (and every other unsafe one) percent-encoded.
std::string pathLine(std::string_view path) {
  if (path.find_first_of("\r\n") == std::string_view::npos) return std::string(path);
  return fileURLOfPath(path);
}

}  // namespace

std::string writeM3uPlaylist(std::string_view name, std::int32_t count) {
  const std::string music = musicFolderPath();
  if (music.empty()) return {};
  const std::string folder = music + "Playlists/";
  if (!createNewDirectory(folder)) return {};
  std::string text = "#EXTM3U\n";
  for (std::int32_t i = 1; i <= count; ++i) {
    const Tune& t = gHoldTunes_A[i];
    if (t.checked != 1) continue;
    text += "#EXTINF:" + std::to_string(t.durationSeconds) + "," + oneLine(storedToDisplay(t.artist.view())) + " - " +
            oneLine(storedToDisplay(t.title.view())) + "\n";
    text += pathLine(t.filePath.view()) + "\n";
  }
  std::string path = folder + playlistFileName(name);
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return {};
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return {};
  }
  return path;
}

std::string sendPlaylistToiTunes(const Str255& name, std::int32_t count) {
  std::string m3u;
  if (gTotalPlaylistTunes_L > 0) {
    count = std::min(std::max<std::int32_t>(count, 0), gTotalPlaylistTunes_L);
    setControlText(kMainWindow, kActivityText, "Activity: Sending playlist to iTunes...");
    setControlValue(kNameSheet, kSendProgress, 0);
    std::memcpy(gHoldTunes_A.records(1, gTotalPlaylistTunes_L).data(),
                gPlaylistTunes_A.records(1, gTotalPlaylistTunes_L).data(),
                static_cast<std::size_t>(gTotalPlaylistTunes_L) * sizeof(Tune));
    for (std::int32_t i = 1; i <= count; ++i) {
      setControlValue(kNameSheet, kSendProgress, i);
      const Tune& t = gHoldTunes_A[i];
      if (t.checked != 1) continue;
      gScriptBuffer.clear();
      gScriptBuffer = tuneScript(name.view(), t.filePath.view());
      Str255 ignored{};
      AppleScriptRun(ignored);
    }
    gScriptBuffer = activationScript();
    Str255 ignored{};
    AppleScriptRun(ignored);
    m3u = writeM3uPlaylist(name.view(), count);
  }
  setControlText(kMainWindow, kActivityText,
                 m3u.empty() ? std::string("Activity: None.") : "Activity: Playlist saved as " + m3u);
  return m3u;
}
