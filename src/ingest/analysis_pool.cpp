#include "ingest/analysis_pool.h"

#include "platform/movie.h"

OSErr analyseTuneFile(const std::string& path, AnalysisState& state, Tune& measured,
                      const std::atomic<bool>* cancelled) {
  resetAnalysisState(state);
  MovieOwner movie;
  OSErr err = openMovieByPath(path, movie);
  for (std::int32_t part = 1; err == noErr && part <= kAnalysisParts; ++part) {
    if (cancelled && cancelled->load(std::memory_order_relaxed)) return kAnalysisCancelled;
    err = measureTuneAudio(state, movie.get(), part, measured);
  }
  return err;
}
