// Playing movies. Only the caller's thread calls these; the playback's own
// threads are inside Playback.
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
  if (playing) StartMovie(movie);
}

void StartMovie(Movie movie) {
  if (!movie || movie->playback) return;
  movie->endReached = false;
  // A movie that cannot play counts as played, so that whoever waits for its
  // end is not kept waiting.
  if (Playback::start(movie->path, movie->playFrame, movie->volume, movie->playback) != noErr)
    movie->endReached = true;
}

void StopMovie(Movie movie) {
  if (!movie || !movie->playback) return;
  movie->playFrame = movie->playback->position();
  movie->endReached = movie->playback->done();
  movie->playback.reset();
}

void MoviesTask(Movie movie, std::int32_t) {
  if (movie) collectFinished(movie);
}

bool IsMovieDone(Movie movie) {
  if (!movie) return true;
  collectFinished(movie);
  return movie->endReached;
}
