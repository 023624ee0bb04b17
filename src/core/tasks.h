// Cooperative tasks on the GUI thread: the add runs, the evaluation routines
// and the play loop are coroutines that give the event loop its turn at
// explicit yields ("after every folder item", "at least 2 ticks").
//
// A task function returns Task and yields with `co_await yieldTicks(n)`; a
// task may await another Task function, whose yields then suspend the whole
// chain. startTask() hands a task to the scheduler; runTasks() resumes every
// task whose time has come, each up to its next yield. The event loop calls
// runTasks once per pass; tests call it step by step with their own clock.
#pragma once

#include <coroutine>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <utility>

class Task {
 public:
  struct promise_type;
  using Handle = std::coroutine_handle<promise_type>;

  struct promise_type {
    promise_type* root = this;       // the task the scheduler holds
    Handle leaf;                     // root only: the innermost running task
    std::coroutine_handle<> parent;  // awaited tasks: the task to continue
    std::uint32_t wakeTick = 0;      // root only
    bool waitTicks = false;          // root only: wakeTick is in force

    Task get_return_object() { return Task(Handle::from_promise(*this)); }
    std::suspend_always initial_suspend() noexcept { return {}; }
    struct FinalAwaiter {
      bool await_ready() noexcept { return false; }
      std::coroutine_handle<> await_suspend(Handle h) noexcept {
        promise_type& p = h.promise();
        if (p.parent) {
          p.root->leaf = Handle::from_address(p.parent.address());
          return p.parent;
        }
        return std::noop_coroutine();
      }
      void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    void return_void() {}
    void unhandled_exception() { std::terminate(); }
  };

  Task() = default;
  explicit Task(Handle h) : handle_(h) {}
  Task(Task&& o) noexcept : handle_(std::exchange(o.handle_, {})) {}
  Task& operator=(Task&& o) noexcept {
    if (this != &o) {
      reset();
      handle_ = std::exchange(o.handle_, {});
    }
    return *this;
  }
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;
  ~Task() { reset(); }

  bool done() const { return !handle_ || handle_.done(); }
  Handle release() { return std::exchange(handle_, {}); }

  // Awaiting a task runs it inside the awaiting one.
  bool await_ready() const noexcept { return !handle_ || handle_.done(); }
  template <class P>
  std::coroutine_handle<> await_suspend(std::coroutine_handle<P> awaiting) noexcept {
    promise_type& child = handle_.promise();
    child.parent = awaiting;
    child.root = awaiting.promise().root;
    child.root->leaf = handle_;
    return handle_;
  }
  void await_resume() noexcept {}

 private:
  void reset() {
    if (handle_) handle_.destroy();
    handle_ = {};
  }
  Handle handle_;
};

// Suspends the running task for at least `ticks` ticks (1/60 s); 0 gives the
// event loop one pass and resumes at the next.
struct YieldTicks {
  std::uint32_t ticks;
  bool await_ready() const noexcept { return false; }
  void await_suspend(Task::Handle h) noexcept;
  void await_resume() const noexcept {}
};
inline YieldTicks yieldTicks(std::uint32_t ticks) { return YieldTicks{ticks}; }

// Hands a task to the scheduler; it first runs at the next runTasks.
void startTask(Task task);
// Resumes every task due at `now` (ticks) once; finished tasks are released.
// Returns the number of tasks resumed.
int runTasks(std::uint32_t now);
// Number of tasks not yet finished.
std::size_t activeTaskCount();
// The earliest tick at which a task wants to run again (now when one is due).
std::uint32_t nextTaskTick(std::uint32_t now);
// Drops every task without running it further (the program is ending).
void cancelAllTasks();
