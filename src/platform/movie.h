// The movie services: the program hears its music only through these calls.
// A "movie" is one opened audio file. Times are in the movie's time scale,
// 600 units per second.
//
// Implementations: platform/ffmpeg + platform/sdl (decoding, export and
// playback), or a scripted fake for tests. Exactly one is linked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"

struct MovieRecord;  // defined by the implementation
using Movie = MovieRecord*;
using MovieFileRef = std::int32_t;  // an open movie file

constexpr std::int32_t kMovieTimeScale = 600;
constexpr std::size_t kSoundHeaderBytes = 84;  // byte 24 holds the channel count
constexpr std::int16_t kUnityVolume = 256;

// 0 when the services can be used (decoders present).
OSErr EnterMovies();
// Forgets the last error, so that one bad file does not affect the next.
void ClearMoviesStickyError();

// Opens a file by its full path: 0, or fnfErr (-43) for a missing file,
// ioErr (-36) / permErr (-54) for one that cannot be read.
OSErr OpenMovieFile(std::string_view fullPath, MovieFileRef& ref);
// Makes a movie of an open file: 0, or a negative code (-2048) when the file
// holds no playable audio.
OSErr NewMovieFromFile(MovieFileRef ref, Movie& movie);
// The movie made from the file stays usable.
OSErr CloseMovieFile(MovieFileRef ref);
void DisposeMovie(Movie movie);

std::int32_t GetMovieTimeScale(Movie movie);  // 600
std::int32_t GetMovieDuration(Movie movie);   // in time-scale units, truncated

// Fills `block` with the sound of [start, start + duration) (time units):
// 84 header bytes (zero but byte 24 = channel count), then interleaved
// signed 16-bit frames at 44.1 kHz, each sample big-endian. Frames past the
// end of the file are zero. 0 or a negative code.
OSErr PutMovieIntoTypedHandle(Movie movie, std::vector<std::uint8_t>& block, std::int32_t start, std::int32_t duration);
// The error of the last memory request of the services (0 when none).
OSErr MemError();

// The tags of a FLAC, Ogg Vorbis or Opus file: its Vorbis comments, as
// FFmpeg's metadata gives them (UTF-8 as stored), and which of the three
// codecs its audio stream holds.
enum class TaggedAudio : std::uint8_t { flac, vorbis, opus };
struct MovieFileTags {
  TaggedAudio audio = TaggedAudio::flac;
  bool tagged = false;                      // at least one of the four texts is present, even empty
  std::string title, artist, album, genre;  // empty when absent
};
// Reads them through the FLAC and Ogg demuxers only: 0; fnfErr / permErr /
// ioErr for a file that cannot be read; invalidMovieErr (-2048) for one that
// is not FLAC or Ogg, or holds no FLAC, Vorbis or Opus audio stream.
OSErr GetMovieFileTags(std::string_view fullPath, MovieFileTags& tags);

// Playback. Volume 256 = unity, 0 = silent, up to 1168 amplifies (clipped).
void SetMovieVolume(Movie movie, std::int16_t volume);
void GoToBeginningOfMovie(Movie movie);
void StartMovie(Movie movie);
void StopMovie(Movie movie);  // silent at once
void MoviesTask(Movie movie, std::int32_t maxMilliseconds);
bool IsMovieDone(Movie movie);  // true once the last sample was played

// Pausing: the sound stops at once (within one buffer of the device) while
// the movie keeps its place and the sound it has decoded ahead; resuming
// sounds again from the very next sample. Pausing a movie that does not play
// and resuming one that is not paused do nothing. StopMovie and StartMovie
// leave the paused state.
void PauseMovie(Movie movie);
void ResumeMovie(Movie movie);
bool IsMoviePaused(Movie movie);
// The play position in time units, truncated: the sample being heard, not
// the one being decoded.
std::int32_t GetMovieTime(Movie movie);
// Moves the play position to `time` (clamped to 0..duration): the next
// sample heard is the first sample of an export that starts at `time`. A
// playing movie crosses over with a fade of a few milliseconds, so the jump
// does not click; a paused one stays paused at the new place.
void SetMovieTimeValue(Movie movie, std::int32_t time);

// Owns a movie and disposes of it on every path.
class MovieOwner {
 public:
  MovieOwner() = default;
  explicit MovieOwner(Movie m) : movie_(m) {}
  ~MovieOwner() { reset(); }
  MovieOwner(const MovieOwner&) = delete;
  MovieOwner& operator=(const MovieOwner&) = delete;
  MovieOwner(MovieOwner&& o) noexcept : movie_(o.release()) {}
  MovieOwner& operator=(MovieOwner&& o) noexcept {
    if (this != &o) {
      reset();
      movie_ = o.release();
    }
    return *this;
  }
  Movie get() const { return movie_; }
  Movie* out() {
    reset();
    return &movie_;
  }
  Movie release() {
    Movie m = movie_;
    movie_ = nullptr;
    return m;
  }
  void reset() {
    if (movie_) DisposeMovie(movie_);
    movie_ = nullptr;
  }
  explicit operator bool() const { return movie_ != nullptr; }

 private:
  Movie movie_ = nullptr;
};

// Opens a file and makes its movie in one step (closing the file again).
inline OSErr openMovieByPath(std::string_view fullPath, MovieOwner& movie) {
  MovieFileRef ref = 0;
  OSErr err = OpenMovieFile(fullPath, ref);
  if (err != noErr) return err;
  err = NewMovieFromFile(ref, *movie.out());
  CloseMovieFile(ref);
  return err;
}
