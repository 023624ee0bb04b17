// Recording toolbox for tests and the command-line tool: no window ever
// exists; every call that would show something is written to the log, and
// alerts answer from a queue the test fills.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/toolbox.h"

struct HeadlessToolbox {
  std::vector<std::string> log;      // "beep", "caution:TITLE|MESSAGE|BUTTON", ...
  std::deque<bool> cautionAnswers;   // answers of the next CationAlert calls (default: true)
  ToolboxRect screen{0, 0, 1440, 900};
  bool hasMainWindow = false;
  ToolboxRect mainWindow{};
  std::set<int> openWindows;         // other windows a test declares open
  int beeps = 0;

  void reset() { *this = HeadlessToolbox{}; }
};

HeadlessToolbox& headlessToolbox();
