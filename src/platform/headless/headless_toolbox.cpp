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
