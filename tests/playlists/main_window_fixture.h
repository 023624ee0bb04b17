// The main window of the recording toolbox for tests: plain controls and
// its list view.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "core/appstate.h"
#include "platform/toolbox.h"

// Controls 11 (play button) and 17 (volume slider), the activity and summary
// lines, and the list view, whose rows keep the order they were added in.
inline void buildMainWindowForTests() {
  WindowDesc w;
  w.number = kMainWindow;
  w.content = {0, 0, 1200, 800};
  toolboxCreateWindow(w);
  for (const std::int16_t c : std::initializer_list<std::int16_t>{11, 17, kSummaryText, kActivityText}) {
    ControlDesc d;
    d.window = kMainWindow;
    d.control = c;
    toolboxCreateControl(d);
  }
  listViewCreate(kMainWindow, kListControl, {0, 73, 1200, 700}, kBindLeft, {}, 21, nullptr);
}
