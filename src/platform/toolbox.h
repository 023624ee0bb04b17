// The window toolbox: what the program asks of windows, controls, menus and
// alerts, addressed by the design's numbers (window 1, control 1001, menu 3).
//
// The program links exactly one implementation: platform/qt (the desktop),
// or platform/headless (tests and the command-line tool), which records every
// call. Calls that name a window or control that does not exist do nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ToolboxRect {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
};

// One system beep.
void SysBeep();

// Caution alert with a title, a message, a default button and Cancel.
// Returns true when the default button was pressed.
bool CationAlert(std::string_view title, std::string_view message, std::string_view button);

// Stop alert with one button.
void myStopAlert(std::string_view title, std::string_view message, std::string_view button);

// Size of the main display (for the window's default size).
ToolboxRect toolboxMainScreenRect();

// Content rectangle of a window in global coordinates; false when the window
// does not exist.
bool toolboxGetWindowContentRect(std::int16_t window, ToolboxRect& rect);

// Controls of a window, addressed by (window, control) numbers. Calls naming
// a window or control that does not exist do nothing.
void setControlText(std::int16_t window, std::int16_t control, std::string_view text);
void setControlValue(std::int16_t window, std::int16_t control, std::int32_t value);
void setControlEnabled(std::int16_t window, std::int16_t control, bool enabled);
// True when the window exists (is built and not closed).
bool windowExists(std::int16_t window);
