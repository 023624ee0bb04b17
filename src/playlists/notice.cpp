#include "playlists/notice.h"

#include <string>

#include "core/appstate.h"
#include "engine/classify.h"

namespace {
// Near-white: the notice colour of any index outside the nine categories.
constexpr ToolboxRGB kNoCategoryColour = {0xFE01, 0xFE01, 0xFE01};
}  // namespace

ToolboxRGB categoryColour(std::int32_t index) {
  if (index < 1 || index > 9) return kNoCategoryColour;
  const ColourCategory& c = kColourCategories[static_cast<std::size_t>(index)];
  return {c.red, c.green, c.blue};
}

void makeBigAlertWin(std::string_view text, std::int16_t colourIndex) {
  gAddingWindowIsOpen_S = 1;
  const ToolboxRect screen = toolboxMainScreenRect();
  WindowDesc win;
  win.number = kNoticeWindow;
  win.kind = WindowKind::overlay;
  win.title = "Saving";
  win.content = ToolboxRect{screen.left + (screen.width - 700) / 2, screen.top + (screen.height - 300) / 2, 700, 300};
  toolboxCreateWindow(win);
  toolboxSetWindowOpacity(kNoticeWindow, 0);

  ControlDesc panel;
  panel.window = kNoticeWindow;
  panel.control = 1;
  panel.kind = ControlKind::bigNotice;
  panel.frame = ToolboxRect{0, 0, 700, 300};
  toolboxCreateControl(panel);
  NoticePanel n;
  n.outer = ToolboxRect{40, 40, 620, 220};
  n.inner = ToolboxRect{45, 45, 610, 210};
  n.cornerRadius = 10;
  n.outerColour = kNoCategoryColour;
  n.innerColour = categoryColour(colourIndex);
  n.text = std::string(text);
  n.fontSize = 37;
  n.baseline = 150 + 5;
  toolboxSetNoticePanel(kNoticeWindow, 1, n);

  // The notice fades in where the user can see it.
  toolboxShowWindow(kNoticeWindow);
  for (int i = 0; i <= 33; ++i) {
    toolboxSetWindowOpacity(kNoticeWindow, i * 0.027);
    toolboxDelay(13);
  }
}

void closeBigAlertWin() {
  toolboxCloseWindow(kNoticeWindow);
  gAddingWindowIsOpen_S = 0;
}
