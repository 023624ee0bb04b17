// Playing movies. Only the caller's thread calls these; the playback's own
// threads are inside Playback.
#include <algorithm>

#include "platform/ffmpeg/movie_record.h"
#include "platform/sdl/playback.h"

MovieRecord::MovieRecord() = default;
MovieRecord::~MovieRecord() = default;  // a playing movie is silenced first

namespace {

// A playback that has reached its end gives back its device and thread.
void collectFinished(Movie movie) {
  if (movie->playback && movie->playback->done()) {
    movie->playFrame = movie->playback->position();
    movie->playback.reset();
    movie->endReached = true;
  }
}

}  // namespace

void SetMovieVolume(Movie movie, std::int16_t volume) {
  if (!movie) return;
  movie->volume = volume;
  if (movie->playback) movie->playback->setVolume(volume);
}

void GoToBeginningOfMovie(Movie movie) {
  if (!movie) return;
  const bool playing = movie->playback != nullptr;
  movie->playback.reset();
  movie->playFrame = 0;
  movie->endReached = false;
  movie->paused = false;
  if (playing) StartMovie(movie);
}

void StartMovie(Movie movie) {
  if (movie && movie->paused) ResumeMovie(movie);
  if (!movie || movie->playback) return;
  movie->endReached = false;
  // A movie that cannot play counts as played, so that whoever waits for its
  // end is not kept waiting.
  if (Playback::start(movie->path, movie->playFrame, movie->volume, movie->playback) != noErr) movie->endReached = true;
}

void StopMovie(Movie movie) {
  if (!movie || !movie->playback) return;
  movie->playFrame = movie->playback->position();
  movie->endReached = movie->playback->done();
  movie->playback.reset();
  movie->paused = false;
}

void MoviesTask(Movie movie, std::int32_t) {
  if (movie) collectFinished(movie);
}

bool IsMovieDone(Movie movie) {
  if (!movie) return true;
  collectFinished(movie);
  return movie->endReached;
}

void PauseMovie(Movie movie) {
  if (!movie) return;
  collectFinished(movie);
  if (!movie->playback || movie->paused) return;
  movie->playback->pause();
  movie->paused = true;
}

void ResumeMovie(Movie movie) {
  if (!movie || !movie->paused) return;
  movie->paused = false;
  if (movie->playback && movie->playback->resume() != noErr) {
    // No output to be had: the movie counts as played, as a start would.
    movie->playFrame = movie->playback->position();
    movie->playback.reset();
    movie->endReached = true;
  }
}

bool IsMoviePaused(Movie movie) { return movie && movie->paused; }

namespace {

// 600 units are 44,100 frames: a time is the frame an export at it begins
// with, and a frame shows as the time it falls in.
std::int64_t frameOfTime(std::int64_t units) { return units * AudioSource::kRate / kMovieTimeScale; }
std::int64_t timeOfFrame(std::int64_t frame) { return frame * kMovieTimeScale / AudioSource::kRate; }

}  // namespace

std::int32_t GetMovieTime(Movie movie) {
  if (!movie) return 0;
  const std::int64_t frame = movie->playback ? movie->playback->heardPosition() : movie->playFrame;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(timeOfFrame(frame), 0, movie->durationUnits));
}

void SetMovieTimeValue(Movie movie, std::int32_t time) {
  if (!movie) return;
  collectFinished(movie);
  const std::int64_t frame = frameOfTime(std::clamp<std::int64_t>(time, 0, movie->durationUnits));
  if (!movie->playback) {
    movie->playFrame = frame;
    movie->endReached = false;
    return;
  }
  // The new place is decoded ahead in a playback of its own before the old
  // one gives up the device, so the jump sounds at the next buffer.
  std::unique_ptr<Playback> moved;
  if (Playback::start(movie->path, frame, movie->volume, moved, true) != noErr) return;  // it plays on where it was
  if (!movie->paused && !movie->playback->handOverTo(*moved)) {
    movie->playback.reset();  // on a device of its own: no crossfade
    if (moved->resume() != noErr) {
      movie->playFrame = frame;
      movie->endReached = true;
      return;
    }
  }
  movie->playback = std::move(moved);
  movie->endReached = false;
}
