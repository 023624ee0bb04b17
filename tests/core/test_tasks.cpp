#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tasks.h"

namespace {

std::vector<std::string> trace;

struct FrameGuard {
  ~FrameGuard() { trace.push_back("frame released"); }
};

Task folderItems(int count) {
  for (int i = 1; i <= count; ++i) {
    trace.push_back("item " + std::to_string(i));
    co_await yieldTicks(0);
  }
}

Task addRun() {
  trace.push_back("start");
  co_await folderItems(2);
  trace.push_back("after folder");
  co_await yieldTicks(2);
  trace.push_back("end");
}

// A step that runs a nested event loop (which calls runTasks again) must not
// resume anything, least of all itself.
Task runsANestedLoop() {
  trace.push_back("nested " + std::to_string(runTasks(0)));
  co_await yieldTicks(0);
  trace.push_back("nested end");
}

Task waitsForever() {
  FrameGuard guard;
  for (;;) co_await yieldTicks(1);
}

// One pass of the event loop at `now`, marked in the trace.
void pass(std::uint32_t now) {
  trace.push_back("@" + std::to_string(now));
  runTasks(now);
}

}  // namespace

// An awaited task's yields suspend the whole chain; tasks first run at the
// next pass, then in the order they were started. Started close to the end
// of the tick counter, so the steps cross the wrap. Cancelling releases the
// suspended frames.
TEST(Tasks, ChainsYieldInStartOrderAcrossTheWrapAndCancelReleasesThem) {
  startTask(folderItems(1));
  startTask(addRun());
  startTask(runsANestedLoop());
  startTask(waitsForever());
  EXPECT_EQ(nextTaskTick(0xFFFFFFFEu), 0xFFFFFFFEu) << "a task that never ran is due at once";
  for (std::uint32_t now : {0xFFFFFFFEu, 0xFFFFFFFFu, 0u}) pass(now);
  EXPECT_EQ(nextTaskTick(0), 1u);  // the earliest of the two waits (2 and 1)
  pass(1);                         // too early for the run's 2-tick wait
  pass(2);
  EXPECT_EQ(trace, (std::vector<std::string>{"@4294967294", "item 1", "start", "item 1", "nested 0", "@4294967295",
                                             "item 2", "nested end", "@0", "after folder", "@1", "@2", "end"}));
  EXPECT_EQ(activeTaskCount(), 1u);
  cancelAllTasks();
  EXPECT_EQ(trace.back(), "frame released");
  EXPECT_EQ(activeTaskCount(), 0u);
}
