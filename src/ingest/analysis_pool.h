// Analysis of the files of an add run: the open, the fourteen exports and the
// measures of one file, done by the add run itself or ahead of it by a pool
// of worker threads.
#pragma once

#include <atomic>
#include <string>

#include "core/errors.h"
#include "engine/analysis.h"
#include "library/tune.h"

// The whole analysis of the file at `path` into a cleared `state` and the
// scratch record `measured`: opens it, measures the fourteen positions in
// order and stops at the first failure. `cancelled`, when given, is looked
// at before each position; once it is true the analysis ends with
// kAnalysisCancelled. Touches nothing outside its arguments, so analyses of
// separate files may run on separate threads.
OSErr analyseTuneFile(const std::string& path, AnalysisState& state, Tune& measured,
                      const std::atomic<bool>* cancelled = nullptr);
