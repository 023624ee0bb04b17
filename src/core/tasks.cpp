#include "core/tasks.h"

#include <vector>

namespace {
// Root tasks in the order they were started. A task started while runTasks
// is resuming others waits for the next pass.
std::vector<Task::Handle>& tasks() {
  static std::vector<Task::Handle> t;
  return t;
}
std::uint32_t gTaskClock = 0;  // the tick of the pass being run
}  // namespace

void YieldTicks::await_suspend(Task::Handle h) noexcept {
  Task::promise_type* root = h.promise().root;
  root->leaf = h;
  root->wakeTick = gTaskClock + ticks;
  root->waitTicks = true;
}

void startTask(Task task) {
  Task::Handle h = task.release();
  if (!h) return;
  h.promise().leaf = h;
  tasks().push_back(h);
}

int runTasks(std::uint32_t now) {
  // A task step may run a nested event loop (a delay, a modal alert) whose
  // passes call runTasks again; resuming a coroutine that is itself running
  // would be fatal, so nested calls resume nothing.
  static bool running = false;
  if (running) return 0;
  struct Running {
    Running() { running = true; }
    ~Running() { running = false; }
  } guard;
  gTaskClock = now;
  auto& all = tasks();
  const std::size_t count = all.size();
  int resumed = 0;
  for (std::size_t i = 0; i < count && i < all.size(); ++i) {
    Task::Handle h = all[i];
    if (!h || h.done()) continue;
    auto& p = h.promise();
    if (p.waitTicks && static_cast<std::int32_t>(now - p.wakeTick) < 0) continue;
    p.waitTicks = false;
    ++resumed;
    p.leaf.resume();
  }
  // Release finished tasks (a resumed task may have started new ones).
  std::vector<Task::Handle> keep;
  for (Task::Handle h : all) {
    if (h.done())
      h.destroy();
    else
      keep.push_back(h);
  }
  all.swap(keep);
  return resumed;
}

std::size_t activeTaskCount() { return tasks().size(); }

std::uint32_t nextTaskTick(std::uint32_t now) {
  std::uint32_t best = now + 0x7fffffffu;
  for (Task::Handle h : tasks()) {
    const auto& p = h.promise();
    if (!p.waitTicks) return now;
    if (static_cast<std::int32_t>(p.wakeTick - best) < 0) best = p.wakeTick;
  }
  return best;
}

void cancelAllTasks() {
  // A suspended task's frame owns the Task it awaits, so destroying the
  // outermost task destroys the whole chain.
  for (Task::Handle h : tasks()) h.destroy();
  tasks().clear();
}
