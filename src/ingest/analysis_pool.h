// Analysis of the files of an add run: the open, the fourteen exports and the
// measures of one file, done by the add run itself or ahead of it by a pool
// of worker threads.
//
// The pool walks the run's folders in the add run's own order and analyses
// the files whose names qualify, a few files ahead per worker. The add run
// stays on the GUI thread and does everything else (tags, records, the
// duplicate test, classification, acceptance, checkpoints) in its own order;
// it takes each file's measures when they are ready, giving the event loop
// its passes while it waits. The measures of a file depend on nothing but
// the file, so the library comes out the same to the byte however many
// workers there are.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/tasks.h"
#include "engine/analysis.h"
#include "library/tune.h"

// The whole analysis of the file at `path` into a cleared `state` and the
// scratch record `measured`: opens it, measures the fourteen positions in
// order and stops at the first failure. `cancelled`, when given, is looked
// at before each position; once it is true the analysis ends with
// kAnalysisCancelled. Touches nothing outside its arguments, so analyses of
// separate files may run on separate threads.
OSErr analyseTuneFile(const std::string& path, AnalysisState& state, Tune& measured, std::int32_t& seconds,
                      const std::atomic<bool>* cancelled = nullptr);

// What the analysis of one file left: its result, its state (for the
// classification) and the record fields it measured (for copyMeasuredFields).
struct TuneMeasures {
  OSErr result = noErr;
  std::int32_t seconds = 0;  // the movie's whole seconds, 0 when it did not open
  AnalysisState state;
  Tune measured{};
};

// Workers for the next run: LUMAROLL_ANALYSIS_THREADS when it holds a whole
// number from 1 up, else one per core. 1 analyses each file in the add run
// itself, when the run comes to it.
std::int32_t analysisThreadCount();

class AnalysisPool;
struct AnalysisJob;

// Analysis ahead of one add run over `folders` (each: its own files, then
// everything below it), for as long as the object lives; its end cancels the
// workers and throws away whatever they hold. With one thread it does nothing.
class AnalysisAhead {
 public:
  explicit AnalysisAhead(const std::vector<std::string>& folders);
  ~AnalysisAhead();
  AnalysisAhead(const AnalysisAhead&) = delete;
  AnalysisAhead& operator=(const AnalysisAhead&) = delete;

 private:
  std::unique_ptr<AnalysisPool> pool_;
};

// The measures of one file the add run offers, in scan order. Without a pool
// (one thread, or no run ahead) the file is analysed when asked for. A ticket
// dropped without its measures taken throws the file's work away.
class MeasuresTicket {
 public:
  explicit MeasuresTicket(std::string path);
  ~MeasuresTicket();
  MeasuresTicket(const MeasuresTicket&) = delete;
  MeasuresTicket& operator=(const MeasuresTicket&) = delete;

  // True once the measures are there; waits for them at most `wait`.
  bool ready(std::chrono::milliseconds wait);
  // The measures, once ready.
  std::unique_ptr<TuneMeasures> take();
  // Stop was pressed: all work ahead is cancelled but this file's.
  void stopOthers();

 private:
  std::string path_;
  AnalysisPool* pool_;
  std::shared_ptr<AnalysisJob> job_;
  std::unique_ptr<TuneMeasures> measures_;
};

// Waits for the ticket's measures, yielding to the event loop between short
// waits; a Stop seen meanwhile cancels all work ahead but this file's.
Task awaitMeasures(MeasuresTicket& ticket, std::unique_ptr<TuneMeasures>& out);

// Longest wait inside one pass of the event loop.
inline constexpr std::chrono::milliseconds kMeasuresWaitSlice{8};
