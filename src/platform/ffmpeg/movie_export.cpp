// Opening movies and exporting their sound.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <span>
#include <unistd.h>

#include "platform/regular_file.h"
#include "platform/ffmpeg/av_error.h"
#include "platform/ffmpeg/movie_record.h"
#include "platform/movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace {

constexpr OSErr kParamErr = -50;
// The longest export asked for at once; the analysis asks for one second.
constexpr std::int32_t kMaxExportUnits = 60 * kMovieTimeScale;

// The analysis may open and export on a worker thread while the player
// opens the next tune on the GUI thread: the file table is shared under a
// lock, and the last memory error is each thread's own, like errno. No other
// error outlives the call that met it.
thread_local OSErr gMemError = noErr;
std::mutex gFilesLock;
std::map<MovieFileRef, std::string> gOpenFiles;
MovieFileRef gNextFileRef = 1;

}  // namespace

OSErr EnterMovies() {
  // Damaged files are expected; their complaints are not the user's concern.
  av_log_set_level(AV_LOG_FATAL);
  const bool mp3 = avcodec_find_decoder(AV_CODEC_ID_MP3) != nullptr;
  const bool aac = avcodec_find_decoder(AV_CODEC_ID_AAC) != nullptr;
  return mp3 && aac ? noErr : invalidMovieErr;
}

void ClearMoviesStickyError() { gMemError = noErr; }

OSErr OpenMovieFile(std::string_view fullPath, MovieFileRef& ref) {
  ref = 0;
  const std::string path(fullPath);
  if (path.empty() || path.find('\0') != std::string::npos) return fnfErr;
  const int fd = openRegularFileForReading(path.c_str());
  if (fd < 0) return errno == EINVAL || errno == EISDIR ? ioErr : av::toOSErr(AVERROR(errno), ioErr);
  ::close(fd);
  std::lock_guard lock(gFilesLock);
  ref = gNextFileRef++;
  if (gNextFileRef <= 0) gNextFileRef = 1;
  gOpenFiles[ref] = path;
  return noErr;
}

OSErr NewMovieFromFile(MovieFileRef ref, Movie& movie) {
  movie = nullptr;
  std::string path;
  {
    std::lock_guard lock(gFilesLock);
    const auto it = gOpenFiles.find(ref);
    if (it == gOpenFiles.end()) return kParamErr;
    path = it->second;
  }
  std::unique_ptr<MovieRecord> record;
  try {
    record = std::make_unique<MovieRecord>();
  } catch (const std::bad_alloc&) {
    gMemError = memFullErr;
    return memFullErr;
  }
  record->path = std::move(path);
  const OSErr err = record->source.open(record->path);
  if (err != noErr) return err;
  const std::int64_t units = record->source.duration(kMovieTimeScale);
  record->durationUnits = std::clamp<std::int64_t>(units, 0, INT32_MAX);
  movie = record.release();
  return noErr;
}

OSErr CloseMovieFile(MovieFileRef ref) {
  std::lock_guard lock(gFilesLock);
  return gOpenFiles.erase(ref) == 1 ? noErr : kParamErr;
}

void DisposeMovie(Movie movie) { delete movie; }

std::int32_t GetMovieTimeScale(Movie movie) { return movie ? kMovieTimeScale : 0; }

std::int32_t GetMovieDuration(Movie movie) {
  return movie ? static_cast<std::int32_t>(movie->durationUnits) : 0;
}

OSErr MemError() { return gMemError; }

OSErr PutMovieIntoTypedHandle(Movie movie, std::vector<std::uint8_t>& block, std::int32_t start,
                              std::int32_t duration) {
  gMemError = noErr;
  if (!movie) return invalidMovieErr;
  if (start < 0 || duration < 0 || duration > kMaxExportUnits) return kParamErr;
  // 600 units are 44,100 frames: 73.5 frames a unit.
  const std::int64_t first = static_cast<std::int64_t>(start) * AudioSource::kRate / kMovieTimeScale;
  const std::int64_t frames = static_cast<std::int64_t>(duration) * AudioSource::kRate / kMovieTimeScale;
  const std::size_t channels = static_cast<std::size_t>(movie->source.channels());
  const std::size_t samples = static_cast<std::size_t>(frames) * channels;
  std::vector<std::int16_t>& sound = movie->exportFrames;
  try {
    block.assign(kSoundHeaderBytes + samples * 2, 0);
    sound.resize(samples);
  } catch (const std::bad_alloc&) {
    block.clear();
    gMemError = memFullErr;
    return memFullErr;
  }
  block[24] = static_cast<std::uint8_t>(channels);
  const OSErr err = movie->source.seekToFrame(first);
  if (err != noErr) return err;
  const std::int64_t got = movie->source.read(sound);
  if (got < 0) return static_cast<OSErr>(got);
  std::fill(sound.begin() + static_cast<std::ptrdiff_t>(got) * static_cast<std::ptrdiff_t>(channels), sound.end(),
            std::int16_t{0});
  // No sound at all a full second before the length the file declares: the
  // file was cut short, and silence would pass for its music.
  const std::int64_t declared = movie->durationUnits * AudioSource::kRate / kMovieTimeScale;
  if (got == 0 && frames > 0 && first + AudioSource::kRate < declared) return eofErr;
  // Frames past the end of the sound stay zero. Samples go out high byte first.
  const std::span<std::uint8_t> out = std::span(block).subspan(kSoundHeaderBytes);
  for (std::size_t i = 0; i < sound.size(); ++i) {
    const auto u = static_cast<std::uint16_t>(sound[i]);
    out[2 * i] = static_cast<std::uint8_t>(u >> 8);
    out[2 * i + 1] = static_cast<std::uint8_t>(u & 0xFF);
  }
  return noErr;
}
