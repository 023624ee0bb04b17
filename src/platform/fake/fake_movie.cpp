#include "platform/fake/fake_movie.h"

#include <algorithm>
#include <map>

struct MovieRecord {
  std::string path;
  FakeMovieScript script;
  bool playing = false;
  bool done = false;
  bool paused = false;
  std::int32_t time = 0;
};

namespace {

std::map<std::string, FakeMovieScript> gScripts;
std::map<MovieFileRef, std::string> gFiles;
std::vector<FakeMovieCall> gCalls;
MovieFileRef gNextRef = 1;
Movie gPlaying = nullptr;
int gAlive = 0;
OSErr gMemErr = noErr;

void record(FakeMovieCallKind kind, Movie m, std::int32_t value = 0) {
  gCalls.push_back({kind, m ? m->path : std::string(), value});
}

}  // namespace

void fakeMovieReset() {
  gScripts.clear();
  gFiles.clear();
  gCalls.clear();
  gPlaying = nullptr;
}

void fakeMovieScript(const std::string& path, FakeMovieScript script) { gScripts[path] = std::move(script); }

void fakeMovieFinish() {
  if (gPlaying) gPlaying->done = true;
}

Movie fakeMoviePlaying() { return gPlaying; }
const std::vector<FakeMovieCall>& fakeMovieCalls() { return gCalls; }
int fakeMoviesAlive() { return gAlive; }
void fakeMovieSetTime(std::int32_t time) {
  if (gPlaying) gPlaying->time = time;
}

OSErr EnterMovies() { return noErr; }
void ClearMoviesStickyError() { gMemErr = noErr; }

OSErr OpenMovieFile(std::string_view fullPath, MovieFileRef& ref) {
  ref = 0;
  const auto it = gScripts.find(std::string(fullPath));
  if (it == gScripts.end()) return fnfErr;
  if (it->second.openErr != noErr) return it->second.openErr;
  ref = gNextRef++;
  gFiles[ref] = it->first;
  return noErr;
}

OSErr GetMovieFileTags(std::string_view fullPath, MovieFileTags& tags) {
  tags = MovieFileTags{};
  const auto it = gScripts.find(std::string(fullPath));
  if (it == gScripts.end()) return fnfErr;
  if (it->second.tagsErr != noErr) return it->second.tagsErr;
  tags = it->second.tags;
  return noErr;
}

OSErr NewMovieFromFile(MovieFileRef ref, Movie& movie) {
  movie = nullptr;
  const auto file = gFiles.find(ref);
  if (file == gFiles.end()) return -50;
  const auto it = gScripts.find(file->second);
  if (it == gScripts.end()) return fnfErr;
  if (it->second.newErr != noErr) return it->second.newErr;
  movie = new MovieRecord{file->second, it->second};
  ++gAlive;
  record(FakeMovieCallKind::open, movie);
  return noErr;
}

OSErr CloseMovieFile(MovieFileRef ref) { return gFiles.erase(ref) == 1 ? noErr : -50; }

void DisposeMovie(Movie movie) {
  if (!movie) return;
  record(FakeMovieCallKind::dispose, movie);
  if (gPlaying == movie) gPlaying = nullptr;
  --gAlive;
  delete movie;
}

std::int32_t GetMovieTimeScale(Movie movie) { return movie ? kMovieTimeScale : 0; }
std::int32_t GetMovieDuration(Movie movie) { return movie ? movie->script.duration : 0; }

OSErr PutMovieIntoTypedHandle(Movie movie, std::vector<std::uint8_t>& block, std::int32_t start,
                              std::int32_t duration) {
  gMemErr = noErr;
  if (!movie) return invalidMovieErr;
  record(FakeMovieCallKind::exportSound, movie, start);
  if (movie->script.exportErr != noErr) return movie->script.exportErr;
  if (start < 0 || duration < 0) return -50;
  const std::size_t frames = static_cast<std::size_t>(duration) * 44100 / kMovieTimeScale;
  block.assign(kSoundHeaderBytes + frames * movie->script.channels * 2, 0);
  block[24] = movie->script.channels;
  if (movie->script.fill) movie->script.fill(start, duration, std::span(block).subspan(kSoundHeaderBytes));
  return noErr;
}

OSErr MemError() { return gMemErr; }

void SetMovieVolume(Movie movie, std::int16_t volume) {
  if (movie) record(FakeMovieCallKind::volume, movie, volume);
}

void GoToBeginningOfMovie(Movie movie) {
  if (!movie) return;
  record(FakeMovieCallKind::goToBeginning, movie);
  movie->done = false;
}

void StartMovie(Movie movie) {
  if (!movie) return;
  record(FakeMovieCallKind::start, movie);
  movie->playing = true;
  gPlaying = movie;
}

void StopMovie(Movie movie) {
  if (!movie) return;
  record(FakeMovieCallKind::stop, movie);
  movie->playing = false;
  movie->paused = false;
  if (gPlaying == movie) gPlaying = nullptr;
}

void MoviesTask(Movie, std::int32_t) {}

bool IsMovieDone(Movie movie) { return !movie || movie->done; }

void PauseMovie(Movie movie) {
  if (!movie || !movie->playing || movie->paused) return;
  record(FakeMovieCallKind::pause, movie);
  movie->paused = true;
}

void ResumeMovie(Movie movie) {
  if (!movie || !movie->paused) return;
  record(FakeMovieCallKind::resume, movie);
  movie->paused = false;
}

bool IsMoviePaused(Movie movie) { return movie && movie->paused; }

std::int32_t GetMovieTime(Movie movie) { return movie ? movie->time : 0; }

void SetMovieTimeValue(Movie movie, std::int32_t time) {
  if (!movie) return;
  movie->time = std::clamp(time, 0, movie->script.duration);
  record(FakeMovieCallKind::seek, movie, movie->time);
}
