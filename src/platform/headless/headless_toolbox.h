// Recording toolbox for tests and the command-line tool: every call that
// would show something is written to the log, windows and controls are kept
// as plain records a test can look at, and alerts answer from a queue the
// test fills.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/toolbox.h"

struct HeadlessControl {
  ControlDesc desc;
  bool enabled = true;
  DisplayPanel display;
  NoticePanel notice;
};

struct HeadlessListView {
  std::vector<ListColumnDesc> columns;
  ListViewCallbacks* callbacks = nullptr;
  std::vector<std::int32_t> rows;  // in their order on screen
  ListColumnKey sortColumn = 0;
  std::int32_t selected = 0;
  std::map<ListColumnKey, std::int32_t> widths;
};

struct HeadlessWindow {
  WindowDesc desc;
  bool visible = false;
  double opacity = 1;
  std::int16_t focus = 0;
  std::map<std::int16_t, HeadlessControl> controls;
  std::map<std::int16_t, HeadlessListView> lists;
};

struct HeadlessToolbox {
  std::vector<std::string> log;     // "beep", "caution:TITLE|MESSAGE|BUTTON", ...
  std::deque<bool> cautionAnswers;  // answers of the next CationAlert calls (default: true)
  ToolboxRect screen{0, 0, 1440, 900};
  std::vector<ToolboxRect> otherScreens;
  bool hasMainWindow = false;
  ToolboxRect mainWindow{};
  std::set<int> openWindows;  // other windows a test declares open
  int beeps = 0;
  std::map<std::int16_t, HeadlessWindow> windows;  // windows built through the toolbox
  std::int16_t activeWindow = 0;
  std::uint32_t ticks = 0;                // TickCount(); toolboxDelay advances it
  std::deque<std::string> chosenFolders;  // answers of toolboxChooseFolder ("" = cancel)
  std::map<std::pair<int, int>, std::string> menuItems;
  std::map<std::pair<int, int>, char> menuKeys;  // Ctrl keys of items
  std::map<std::pair<int, int>, int> submenus;   // (menu, item) -> submenu ID
  std::map<std::pair<int, int>, ToolboxRGB> menuIcons;
  std::map<std::pair<int, int>, EditCommand> editItems;
  std::set<std::pair<int, int>> disabledMenuItems;  // item 0: the whole menu
  std::int32_t revealResult = 0;                    // what toolboxRevealFile answers
  std::set<std::string> missingIcons;               // icons toolboxHasIcon denies
  ToolboxHandlers handlers;

  void reset() { *this = HeadlessToolbox{}; }
  HeadlessWindow* window(std::int16_t number);
  HeadlessControl* control(std::int16_t window, std::int16_t control);
  HeadlessListView* list(std::int16_t window, std::int16_t control);
  // True when some log line starts with `prefix`.
  bool logged(const std::string& prefix) const;
};

HeadlessToolbox& headlessToolbox();
