// Windows of the recording toolbox for tests: a window with plain controls,
// and the main window with its list view.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "core/appstate.h"
#include "platform/toolbox.h"

inline void makeTestWindow(std::int16_t number, std::initializer_list<std::int16_t> controls) {
  WindowDesc w;
  w.number = number;
  w.content = {0, 0, 1200, 800};
  toolboxCreateWindow(w);
  for (std::int16_t c : controls) {
    ControlDesc d;
    d.window = number;
    d.control = c;
    toolboxCreateControl(d);
  }
}

// Controls 11 (play button) and 17 (volume slider), the activity and summary
// lines, and the list view, whose rows keep the order they were added in.
inline void buildMainWindowForTests() {
  makeTestWindow(kMainWindow, {11, 17, kSummaryText, kActivityText});
  listViewCreate(kMainWindow, kListControl, {0, 73, 1200, 700}, kBindLeft, {}, 21, nullptr);
}
