// Opening movies, exporting their sound, and reading the tags of the files
// whose tags only FFmpeg reads (FLAC, Ogg). One object file: whatever links
// the movie services links all of them.
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <new>
#include <span>

#include "core/regular_file.h"
#include "platform/ffmpeg/av_error.h"
#include "platform/ffmpeg/av_handles.h"
#include "platform/ffmpeg/movie_record.h"
#include "platform/ffmpeg/tune_formats.h"
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

std::int32_t GetMovieDuration(Movie movie) { return movie ? static_cast<std::int32_t>(movie->durationUnits) : 0; }

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

namespace {

// A comment of the file: the FLAC demuxer keeps them with the file, the Ogg
// demuxer with the stream that carried them. Keys match in any case, as
// Vorbis comment names do.
bool comment(const AVFormatContext& format, const AVStream& stream, const char* key, std::string& text) {
  const AVDictionaryEntry* e = av_dict_get(format.metadata, key, nullptr, 0);
  if (!e) e = av_dict_get(stream.metadata, key, nullptr, 0);
  if (!e || !e->value) return false;
  text = e->value;
  return true;
}

}  // namespace

OSErr GetMovieFileTags(std::string_view fullPath, MovieFileTags& tags) {
  tags = MovieFileTags{};
  const std::string path(fullPath);
  if (path.empty() || path.find('\0') != std::string::npos) return fnfErr;
  // The open's own code for a missing or unreadable file (FFmpeg would
  // report it too, but only after trying each demuxer's probe); a named pipe
  // or a device is refused before the demuxer could wait on it.
  const int fd = openRegularFileForReading(path.c_str());
  if (fd < 0) return errno == EINVAL || errno == EISDIR ? ioErr : av::toOSErr(AVERROR(errno), ioErr);
  ::close(fd);

  av::Dictionary options;
  options.set("format_whitelist", tuneformats::kVorbisCommentDemuxers);
  options.set("protocol_whitelist", tuneformats::kProtocols);
  AVFormatContext* raw = nullptr;
  const int ret = avformat_open_input(&raw, path.c_str(), nullptr, options.get());
  if (ret < 0) return av::toOSErr(ret);  // freed by FFmpeg on failure
  const av::FormatPtr format(raw);
  // The first FLAC, Vorbis or Opus stream. The stream parameters are those
  // of the file's headers: nothing is decoded to find them.
  const AVStream* found = nullptr;
  for (unsigned i = 0; i < format->nb_streams && !found; ++i) {
    const AVStream* st = format->streams[i];
    // Each of the three codecs starts with headers of its own (FLAC's stream
    // information, Vorbis' and Opus' identification headers); FFmpeg's FLAC
    // demuxer takes any bytes it is made to try, and gives them none.
    if (st->codecpar->codec_type != AVMEDIA_TYPE_AUDIO || st->codecpar->extradata_size <= 0) continue;
    switch (st->codecpar->codec_id) {
      case AV_CODEC_ID_FLAC: tags.audio = TaggedAudio::flac; break;
      case AV_CODEC_ID_VORBIS: tags.audio = TaggedAudio::vorbis; break;
      case AV_CODEC_ID_OPUS: tags.audio = TaggedAudio::opus; break;
      default: continue;
    }
    found = st;
  }
  if (!found) return invalidMovieErr;
  const AVStream& stream = *found;
  bool any = false;
  any = comment(*format, stream, "title", tags.title) || any;
  any = comment(*format, stream, "artist", tags.artist) || any;
  any = comment(*format, stream, "album", tags.album) || any;
  any = comment(*format, stream, "genre", tags.genre) || any;
  tags.tagged = any;
  return noErr;
}
