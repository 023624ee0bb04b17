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

Task waitsForever() {
  FrameGuard guard;
  for (;;) co_await yieldTicks(1);
}

class Tasks : public ::testing::Test {
 protected:
  void SetUp() override { trace.clear(); }
  void TearDown() override { cancelAllTasks(); }
};

}  // namespace

// Started close to the end of the tick counter, so the chain's steps cross the wrap.
TEST_F(Tasks, AwaitedTaskYieldsSuspendTheWholeChainInStartOrderAcrossTheWrap) {
  startTask(folderItems(1));
  startTask(addRun());
  EXPECT_TRUE(trace.empty()) << "a task first runs at the next pass";
  EXPECT_EQ(nextTaskTick(0xFFFFFFFEu), 0xFFFFFFFEu) << "a task that never ran is due at once";
  EXPECT_EQ(runTasks(0xFFFFFFFEu), 2);
  EXPECT_EQ(trace, (std::vector<std::string>{"item 1", "start", "item 1"}));
  runTasks(0xFFFFFFFFu);
  EXPECT_EQ(trace.back(), "item 2");
  runTasks(0);  // the folder ends, the run goes on to its 2-tick wait
  EXPECT_EQ(trace.back(), "after folder");
  EXPECT_EQ(nextTaskTick(0), 2u);
  EXPECT_EQ(runTasks(1), 0) << "woken before its ticks passed";
  EXPECT_EQ(activeTaskCount(), 1u);
  runTasks(2);
  EXPECT_EQ(trace.back(), "end");
  EXPECT_EQ(activeTaskCount(), 0u);
}

TEST_F(Tasks, CancellingReleasesSuspendedFrames) {
  startTask(waitsForever());
  runTasks(1);
  runTasks(2);
  cancelAllTasks();
  EXPECT_EQ(trace, (std::vector<std::string>{"frame released"}));
  EXPECT_EQ(activeTaskCount(), 0u);
}

// A task step that runs a nested event loop (which calls runTasks again)
// must not resume anything, least of all itself.
Task runsANestedLoop() {
  trace.push_back("nested loop resumed " + std::to_string(runTasks(0)));  // as a delay's nested loop would
  co_await yieldTicks(0);
  trace.push_back("end");
}

TEST_F(Tasks, NestedRunTasksResumesNothing) {
  startTask(runsANestedLoop());
  runTasks(0);
  EXPECT_EQ(trace, (std::vector<std::string>{"nested loop resumed 0"}));
  runTasks(1);
  EXPECT_EQ(trace.back(), "end");
  EXPECT_EQ(activeTaskCount(), 0u);
}
