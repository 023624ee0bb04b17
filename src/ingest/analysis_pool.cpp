#include "ingest/analysis_pool.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "core/appstate.h"
#include "ingest/add_one.h"
#include "ingest/scan.h"
#include "platform/movie.h"

OSErr analyseTuneFile(const std::string& path, AnalysisState& state, Tune& measured, std::int32_t& seconds,
                      const std::atomic<bool>* cancelled) {
  resetAnalysisState(state);
  MovieOwner movie;
  OSErr err = openMovieByPath(path, movie);
  seconds = err == noErr ? GetMovieDuration(movie.get()) / kMovieTimeScale : 0;
  for (std::int32_t part = 1; err == noErr && part <= kAnalysisParts; ++part) {
    if (cancelled && cancelled->load(std::memory_order_relaxed)) return kAnalysisCancelled;
    err = measureTuneAudio(state, movie.get(), part, measured);
  }
  return err;
}

std::int32_t analysisThreadCount() {
  if (const char* text = std::getenv("LUMAROLL_ANALYSIS_THREADS"); text && *text) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end && *end == '\0' && n >= 1) return static_cast<std::int32_t>(std::min(n, 64L));
  }
  return static_cast<std::int32_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

struct AnalysisJob {
  enum class Stage { waiting, running, done };
  std::string path;
  // A file met again by the second pass over a chosen folder's own files:
  // the duplicate test nearly always refuses it, so it is analysed only
  // when the add run asks for it.
  bool deferred = false;
  bool wanted = false;  // the add run waits for it: before any work ahead
  Stage stage = Stage::waiting;
  std::atomic<bool> cancelled{false};
  std::unique_ptr<TuneMeasures> measures;
};

namespace {

constexpr std::size_t kFilesAheadPerWorker = 3;

// The pool of the run in progress, for the tickets and the program's exit.
AnalysisPool* gActivePool = nullptr;

}  // namespace

class AnalysisPool {
 public:
  using JobPtr = std::shared_ptr<AnalysisJob>;

  AnalysisPool(std::vector<std::string> folders, std::int32_t workers)
      : roots_(std::move(folders)), capacity_(kFilesAheadPerWorker * static_cast<std::size_t>(workers)) {
    for (std::int32_t i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
  }
  ~AnalysisPool() { shutdown(); }
  AnalysisPool(const AnalysisPool&) = delete;
  AnalysisPool& operator=(const AnalysisPool&) = delete;

  // Cancels everything and joins the workers; a file being analysed stops at
  // its next position.
  void shutdown() {
    {
      std::lock_guard lock(lock_);
      if (stopping_) return;
      stopping_ = true;
      for (const JobPtr& j : ahead_) j->cancelled = true;
      for (const JobPtr& j : wanted_) j->cancelled = true;
      ahead_.clear();
      wanted_.clear();
    }
    work_.notify_all();
    finished_.notify_all();
    for (std::thread& t : threads_)
      if (t.joinable()) t.join();
  }

  // Stop was pressed: nothing is started any more but the file the run waits
  // for; work ahead is cancelled.
  void stopAhead(const JobPtr& keep) {
    std::lock_guard lock(lock_);
    walkStopped_ = true;
    for (const JobPtr& j : ahead_) j->cancelled = true;
    ahead_.clear();
    std::erase_if(wanted_, [&](const JobPtr& j) {
      if (j == keep) return false;
      j->cancelled = true;
      return true;
    });
  }

  // Binds the add run's next file to its job: the first predicted one with
  // its path (those before it the run has passed by), or a job of its own
  // when the walk ahead did not meet the file. Nothing while the walk has not
  // got as far yet.
  JobPtr bind(const std::string& path) {
    std::lock_guard lock(lock_);
    const auto it = std::find_if(ahead_.begin(), ahead_.end(), [&](const JobPtr& j) { return j->path == path; });
    if (it != ahead_.end()) {
      JobPtr job = *it;
      dropUntil(it);
      ahead_.pop_front();
      if (job->stage == AnalysisJob::Stage::waiting) want(job);
      return job;
    }
    if (!walkDone_ && !walkStopped_ && !stopping_ && ahead_.size() < capacity_) return nullptr;
    auto job = std::make_shared<AnalysisJob>();
    job->path = path;
    want(job);
    return job;
  }

  // The add run went past `path` without wanting its measures.
  void pass(const std::string& path) {
    std::lock_guard lock(lock_);
    const auto it = std::find_if(ahead_.begin(), ahead_.end(), [&](const JobPtr& j) { return j->path == path; });
    if (it != ahead_.end()) dropUntil(it + 1);
  }

  // Gives up a job the run bound and no longer wants.
  void release(const JobPtr& job) {
    std::lock_guard lock(lock_);
    job->cancelled = true;
    std::erase(wanted_, job);
  }

  // Waits at most `wait` for the walk to reach further (bind gave nothing).
  void awaitWalk(std::chrono::milliseconds wait) {
    std::unique_lock lock(lock_);
    const std::size_t before = walked_;
    finished_.wait_for(lock, wait, [&] { return walked_ != before || walkDone_ || stopping_; });
  }

  // True once the job is done; waits at most `wait`.
  bool awaitJob(const JobPtr& job, std::chrono::milliseconds wait, std::unique_ptr<TuneMeasures>& out) {
    std::unique_lock lock(lock_);
    finished_.wait_for(lock, wait, [&] { return job->stage == AnalysisJob::Stage::done || stopping_; });
    if (job->stage != AnalysisJob::Stage::done) return false;
    out = std::move(job->measures);
    return true;
  }

 private:
  struct WalkFrame {
    FolderRef folder;
    std::int16_t descend = 0;
    bool repeats = false;
    FolderScan scan;
  };

  void want(const JobPtr& job) {
    job->wanted = true;
    wanted_.push_back(job);
    work_.notify_one();
  }

  void dropUntil(const std::deque<JobPtr>::iterator& end) {
    for (auto it = ahead_.begin(); it != end; ++it)
      if (!(*it)->wanted) (*it)->cancelled = true;
    ahead_.erase(ahead_.begin(), end);
    work_.notify_all();  // room to walk on
  }

  // The next job to analyse: one the run waits for, else the first one ahead
  // not started.
  JobPtr pick() {
    for (const JobPtr& j : wanted_)
      if (j->stage == AnalysisJob::Stage::waiting) return j;
    for (const JobPtr& j : ahead_)
      if (j->stage == AnalysisJob::Stage::waiting && !j->deferred) return j;
    return nullptr;
  }

  void work() {
    std::unique_lock lock(lock_);
    while (!stopping_) {
      if (JobPtr job = pick()) {
        job->stage = AnalysisJob::Stage::running;
        const std::string path = job->path;
        lock.unlock();
        auto measures = std::make_unique<TuneMeasures>();
        measures->result =
            analyseTuneFile(path, measures->state, measures->measured, measures->seconds, &job->cancelled);
        lock.lock();
        job->measures = std::move(measures);
        job->stage = AnalysisJob::Stage::done;
        std::erase(wanted_, job);
        finished_.notify_all();
        continue;
      }
      if (!walkDone_ && !walkStopped_ && !walking_ && ahead_.size() < capacity_) {
        walking_ = true;
        lock.unlock();
        auto job = std::make_shared<AnalysisJob>();
        const bool found = walkOn(job->path, job->deferred);
        lock.lock();
        walking_ = false;
        if (!found) {
          walkDone_ = true;
        } else if (!walkStopped_ && !stopping_) {
          ahead_.push_back(std::move(job));
          ++walked_;
        }
        finished_.notify_all();
        work_.notify_all();
        continue;
      }
      work_.wait(lock);
    }
  }

  // The walk of the add run (addOneTune over each folder, descent 0 then
  // -1): the next file whose name qualifies, or false after the last one.
  // Only the one thread that has set walking_ runs it.
  bool walkOn(std::string& path, bool& deferred) {
    for (;;) {
      if (stack_.empty()) {
        if (nextRoot_ >= roots_.size()) return false;
        const std::string& root = roots_[nextRoot_];
        const std::int16_t descend = secondPass_ ? -1 : 0;
        if (secondPass_) ++nextRoot_;
        secondPass_ = !secondPass_;
        FolderRef ref;
        if (makeFolderRef(root, ref)) enter(ref, descend, descend != 0);
        continue;
      }
      WalkFrame& f = stack_.back();
      f.scan.folder = f.folder;
      const OSErr kind = ScanFolder(f.scan);
      if (kind < 0) {
        stack_.pop_back();
        continue;
      }
      if (kind == 1) {
        if (f.descend != 0) {
          const FolderRef sub = f.scan.folder;
          enter(sub, -1, false);
        }
        continue;
      }
      if (f.scan.regularFile && isTuneFileName(f.scan.itemName)) {
        path = f.folder.path + f.scan.itemName;
        deferred = f.repeats;
        return true;
      }
    }
  }

  void enter(const FolderRef& folder, std::int16_t descend, bool repeats) {
    if (descend != 0 && !descended_.emplace(folder.device, folder.inode).second) return;
    WalkFrame frame;
    frame.folder = folder;
    frame.descend = descend;
    frame.repeats = repeats;
    frame.scan.itemIndex = 0;
    frame.scan.descend = descend;
    stack_.push_back(std::move(frame));
  }

  // The walk: touched only by the walking thread.
  std::vector<std::string> roots_;
  std::size_t nextRoot_ = 0;
  bool secondPass_ = false;
  std::vector<WalkFrame> stack_;
  std::set<std::pair<std::uint64_t, std::uint64_t>> descended_;

  const std::size_t capacity_;
  std::mutex lock_;
  std::condition_variable work_;      // workers: a job or room to walk
  std::condition_variable finished_;  // the add run: a job done or the walk on
  std::deque<JobPtr> ahead_;          // walked, not yet reached by the run, in scan order
  std::vector<JobPtr> wanted_;        // jobs the run waits for
  std::size_t walked_ = 0;
  bool walking_ = false, walkDone_ = false, walkStopped_ = false, stopping_ = false;
  std::vector<std::thread> threads_;
};

namespace {

// A confirmed Quit ends the process in the middle of a run: the workers are
// stopped before the program's own objects go away under them.
void stopPoolAtExit() {
  if (gActivePool) gActivePool->shutdown();
}

}  // namespace

AnalysisAhead::AnalysisAhead(const std::vector<std::string>& folders) {
  const std::int32_t workers = analysisThreadCount();
  if (workers <= 1 || gActivePool) return;
  static const bool registered = std::atexit(stopPoolAtExit) == 0;
  (void)registered;
  pool_ = std::make_unique<AnalysisPool>(folders, workers);
  gActivePool = pool_.get();
}

AnalysisAhead::~AnalysisAhead() {
  if (!pool_) return;
  gActivePool = nullptr;
  pool_.reset();
}

MeasuresTicket::MeasuresTicket(std::string path) : path_(std::move(path)), pool_(gActivePool) {}

MeasuresTicket::~MeasuresTicket() {
  if (pool_ != gActivePool || !pool_) return;  // the run's pool is gone
  if (job_)
    pool_->release(job_);
  else if (!measures_)
    pool_->pass(path_);
}

bool MeasuresTicket::ready(std::chrono::milliseconds wait) {
  if (measures_) return true;
  if (!pool_ || pool_ != gActivePool) {
    measures_ = std::make_unique<TuneMeasures>();
    measures_->result = analyseTuneFile(path_, measures_->state, measures_->measured, measures_->seconds);
    return true;
  }
  if (!job_) {
    job_ = pool_->bind(path_);
    if (!job_) {
      pool_->awaitWalk(wait);
      return false;
    }
  }
  if (!pool_->awaitJob(job_, wait, measures_)) return false;
  job_.reset();
  return true;
}

std::unique_ptr<TuneMeasures> MeasuresTicket::take() { return std::move(measures_); }

void MeasuresTicket::stopOthers() {
  if (pool_ && pool_ == gActivePool) pool_->stopAhead(job_);
}

Task awaitMeasures(MeasuresTicket& ticket, std::unique_ptr<TuneMeasures>& out) {
  while (!ticket.ready(kMeasuresWaitSlice)) {
    if (gStopCollectingPerUser_S == 1) ticket.stopOthers();
    co_await yieldTicks(0);
  }
  out = ticket.take();
}
