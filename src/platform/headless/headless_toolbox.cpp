#include "platform/headless/headless_toolbox.h"

HeadlessToolbox& headlessToolbox() {
  static HeadlessToolbox tb;
  return tb;
}

void SysBeep() {
  headlessToolbox().log.emplace_back("beep");
  ++headlessToolbox().beeps;
}

bool CationAlert(std::string_view title, std::string_view message, std::string_view button) {
  auto& tb = headlessToolbox();
  tb.log.push_back("caution:" + std::string(title) + "|" + std::string(message) + "|" + std::string(button));
  if (tb.cautionAnswers.empty()) return true;
  const bool answer = tb.cautionAnswers.front();
  tb.cautionAnswers.pop_front();
  return answer;
}

void myStopAlert(std::string_view title, std::string_view message, std::string_view button) {
  headlessToolbox().log.push_back("stop:" + std::string(title) + "|" + std::string(message) + "|" +
                                  std::string(button));
}

ToolboxRect toolboxMainScreenRect() { return headlessToolbox().screen; }

bool toolboxGetWindowContentRect(std::int16_t window, ToolboxRect& rect) {
  auto& tb = headlessToolbox();
  if (window != 1 || !tb.hasMainWindow) return false;
  rect = tb.mainWindow;
  return true;
}

// No window exists in the headless toolbox unless a test says so; control
// changes are recorded either way so tests can see what would be shown.
void setControlText(std::int16_t window, std::int16_t control, std::string_view text) {
  headlessToolbox().log.push_back("text:" + std::to_string(window) + "/" + std::to_string(control) + "=" +
                                  std::string(text));
}

void setControlValue(std::int16_t window, std::int16_t control, std::int32_t value) {
  headlessToolbox().log.push_back("value:" + std::to_string(window) + "/" + std::to_string(control) + "=" +
                                  std::to_string(value));
}

void setControlEnabled(std::int16_t window, std::int16_t control, bool enabled) {
  headlessToolbox().log.push_back("enabled:" + std::to_string(window) + "/" + std::to_string(control) + "=" +
                                  (enabled ? "1" : "0"));
}

bool windowExists(std::int16_t window) {
  const auto& tb = headlessToolbox();
  return (window == 1 && tb.hasMainWindow) || tb.openWindows.count(window) > 0;
}
