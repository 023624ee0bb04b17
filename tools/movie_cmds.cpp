// export-snd and play: the movie services from the command line.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/movie.h"
#include "tools/analysis_positions.h"
#include "tools/commands.h"

namespace {

template <typename T>
bool parseNumber(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool openFor(const char* command, const std::string& path, MovieOwner& movie) {
  if (const OSErr err = EnterMovies(); err != noErr) {
    std::fprintf(stderr, "lumaroll-tool %s: no decoders (%d)\n", command, err);
    return false;
  }
  ClearMoviesStickyError();
  if (const OSErr err = openMovieByPath(path, movie); err != noErr) {
    std::fprintf(stderr, "lumaroll-tool %s: cannot open %s (%d)\n", command, path.c_str(), err);
    return false;
  }
  return true;
}

}  // namespace

int cmdExportSnd(ToolArgs args) {
  std::vector<std::string> rest(args.begin(), args.end());
  std::string part, at;
  if (!toolTakeOption(rest, "--part", part) || !toolTakeOption(rest, "--at", at)) return 2;
  int partNumber = 0;
  double seconds = 0;
  const bool byPart = !part.empty() && parseNumber(part, partNumber) && partNumber >= 1 && partNumber <= 14;
  const bool byTime = !at.empty() && parseNumber(at, seconds) && seconds >= 0 && seconds < 3.5e6;
  if (rest.size() != 1 || byPart == byTime || (part.empty() == at.empty())) {
    std::fputs("usage: lumaroll-tool export-snd FILE (--part 1..14 | --at SECONDS)\n", stderr);
    return 2;
  }
  MovieOwner movie;
  if (!openFor("export-snd", rest[0], movie)) return 1;
  const std::int32_t scale = GetMovieTimeScale(movie.get());
  const std::int32_t start = byPart ? analysisStart(partNumber, GetMovieDuration(movie.get()), scale)
                                    : static_cast<std::int32_t>(seconds * scale);
  std::vector<std::uint8_t> block;
  OSErr err = PutMovieIntoTypedHandle(movie.get(), block, start, scale);
  if (err == noErr) err = MemError();
  if (err != noErr) {
    std::fprintf(stderr, "lumaroll-tool export-snd: export at %d failed (%d)\n", start, err);
    return 1;
  }
  if (std::fwrite(block.data(), 1, block.size(), stdout) != block.size() || std::fflush(stdout) != 0) {
    std::fputs("lumaroll-tool export-snd: cannot write standard output\n", stderr);
    return 1;
  }
  return 0;
}

int cmdPlay(ToolArgs args) {
  std::vector<std::string> rest(args.begin(), args.end());
  std::string volumeText;
  if (!toolTakeOption(rest, "--volume", volumeText)) return 2;
  int volume = kUnityVolume;
  if (rest.size() != 1 || (!volumeText.empty() && (!parseNumber(volumeText, volume) || volume < 0 || volume > 1168))) {
    std::fputs("usage: lumaroll-tool play FILE [--volume 0..1168]\n", stderr);
    return 2;
  }
  MovieOwner movie;
  if (!openFor("play", rest[0], movie)) return 1;
  SetMovieVolume(movie.get(), static_cast<std::int16_t>(volume));
  GoToBeginningOfMovie(movie.get());
  StartMovie(movie.get());
  while (!IsMovieDone(movie.get())) {
    MoviesTask(movie.get(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}
