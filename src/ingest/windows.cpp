#include "ingest/windows.h"

#include <string>

#include "core/appstate.h"
#include "ingest/add_one.h"
#include "ingest/add_runs.h"
#include "library/tune.h"
#include "platform/toolbox.h"
#include "playlists/builder.h"

namespace {

constexpr std::int32_t kSheetWidth = 437, kSheetHeight = 157;
constexpr std::int16_t kSheetIcon = 2035;
constexpr std::int16_t kSheetHeadline = 2036;
constexpr std::int32_t kFirstTimeWidth = 450, kFirstTimeHeight = 400;
constexpr std::int16_t kFirstTimeWelcome = 4400;
constexpr std::int32_t kSavingWidth = 700, kSavingHeight = 300;
constexpr std::int16_t kSavingPanel = 1;
constexpr int kFadeSteps = 34;

ToolboxRect rectOf(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  return ToolboxRect{left, top, right - left, bottom - top};
}

ControlDesc controlDesc(std::int16_t window, std::int16_t control, ControlKind kind, const ToolboxRect& frame,
                        std::string text, std::int16_t fontSize = 0, bool bold = false,
                        TextAlign align = TextAlign::left) {
  ControlDesc d;
  d.window = window;
  d.control = control;
  d.kind = kind;
  d.frame = frame;
  d.text = std::move(text);
  d.fontSize = fontSize;
  d.bold = bold;
  d.align = align;
  return d;
}

void addControl(std::int16_t window, std::int16_t control, ControlKind kind, const ToolboxRect& frame, std::string text,
                std::int16_t fontSize = 0, bool bold = false, TextAlign align = TextAlign::left) {
  toolboxCreateControl(controlDesc(window, control, kind, frame, std::move(text), fontSize, bold, align));
}

void addAppIcon(std::int16_t window, std::int16_t control, const ToolboxRect& frame) {
  ControlDesc icon;
  icon.window = window;
  icon.control = control;
  icon.kind = ControlKind::iconButton;
  icon.frame = frame;
  icon.icon = "LumarollIcon";
  toolboxCreateControl(icon);
}

// A window of the given size centred on the main window, or on the main
// screen when there is none.
ToolboxRect centredContent(std::int32_t width, std::int32_t height) {
  ToolboxRect around;
  if (!toolboxGetWindowContentRect(kMainWindow, around)) around = toolboxMainScreenRect();
  return ToolboxRect{around.left + (around.width - width) / 2, around.top + (around.height - height) / 2, width,
                     height};
}

}  // namespace

void makeAddDialogWin(std::int16_t progressKind, std::int32_t maximum, std::string_view headline) {
  WindowDesc w;
  w.number = kSheetWindow;
  w.kind = WindowKind::sheet;
  w.content = centredContent(kSheetWidth, kSheetHeight);
  ToolboxRect main;
  if (toolboxGetWindowContentRect(kMainWindow, main)) w.content.top = main.top;  // hangs from the main window's top
  toolboxCreateWindow(w);

  const std::int32_t width = kSheetWidth, height = kSheetHeight;
  addAppIcon(kSheetWindow, kSheetIcon, rectOf(15, 12, 63, 60));
  addControl(kSheetWindow, kSheetHeadline, ControlKind::staticText, rectOf(75, 20, width - 15, 52),
             std::string(headline), 13, true);
  addControl(kSheetWindow, kAddStatusText, ControlKind::staticText, rectOf(15, 67, width - 15, 82), "", 10);
  ControlDesc bar;
  bar.window = kSheetWindow;
  bar.control = kAddProgressBar;
  bar.kind = ControlKind::progressBar;
  bar.frame = rectOf(15, 84, width - 15, 99);
  bar.maximum = progressKind == 2 ? 0 : maximum;  // 0..0 is a bar without end
  toolboxCreateControl(bar);
  addControl(kSheetWindow, kAddCountText, ControlKind::staticText, rectOf(15, 102, width - 100, 117), "", 10);
  ControlDesc stop = controlDesc(kSheetWindow, kAddStopButton, ControlKind::bevelButton,
                                 rectOf(width - 73, height - 35, width - 15, height - 15), "Stop");
  stop.escapeKey = true;
  toolboxCreateControl(stop);
  toolboxShowWindow(kSheetWindow);
}

void closeAddDialogWin() { toolboxCloseWindow(kSheetWindow); }

void makeSavingDBTunesWindow() {
  gAddingWindowIsOpen_S = 1;
  WindowDesc w;
  w.number = kSavingWindow;
  w.kind = WindowKind::overlay;
  w.title = "Saving";
  w.content = centredContent(kSavingWidth, kSavingHeight);
  toolboxCreateWindow(w);
  toolboxSetWindowOpacity(kSavingWindow, 0);

  NoticePanel panel;
  panel.outer = rectOf(40, 40, kSavingWidth - 40, kSavingHeight - 40);
  panel.inner = rectOf(45, 45, kSavingWidth - 45, kSavingHeight - 45);
  panel.cornerRadius = 20;
  panel.outerColour = ToolboxRGB{65025, 65025, 65025};
  panel.innerColour = ToolboxRGB{52785, 52785, 52785};
  const std::int32_t selected = gCurrentSelectedTune_L;
  if (selected >= 1 && selected <= kMaxTunes) {
    const Tune& t = gPlaylistTunes_A[selected];
    panel.innerColour = ToolboxRGB{t.colourRed, t.colourGreen, t.colourBlue};
  }
  panel.text = "Saving Library...";
  panel.fontSize = 37;
  panel.baseline = kSavingHeight / 2 + 5;
  ControlDesc d;
  d.window = kSavingWindow;
  d.control = kSavingPanel;
  d.kind = ControlKind::bigNotice;
  d.frame = ToolboxRect{0, 0, kSavingWidth, kSavingHeight};
  toolboxCreateControl(d);
  toolboxSetNoticePanel(kSavingWindow, kSavingPanel, panel);

  toolboxShowWindow(kSavingWindow);
  for (int n = 0; n < kFadeSteps; ++n) {
    toolboxSetWindowOpacity(kSavingWindow, n * 0.027);
    toolboxDelay(13);
  }
}

void buildFirstTimeWindow() {
  WindowDesc w;
  w.number = kFirstTimeWindow;
  w.kind = WindowKind::modal;
  w.title = "Welcome to Lumaroll!";
  w.content = centredContent(kFirstTimeWidth, kFirstTimeHeight);
  toolboxCreateWindow(w);
  const std::int32_t width = kFirstTimeWidth, height = kFirstTimeHeight;
  addAppIcon(kFirstTimeWindow, kFirstTimeIcon, ToolboxRect{width / 2 - 40, 22, 78, 78});
  addControl(kFirstTimeWindow, kFirstTimeWelcome, ControlKind::staticText, rectOf(0, 112, width, 145),
             "Welcome!\rOrvane\xC2\xAE Lumaroll Set-Up", 0, true, TextAlign::centre);
  addControl(kFirstTimeWindow, kFirstTimeGroup, ControlKind::well, rectOf(23, 160, width - 23, height - 50), "");
  addControl(kFirstTimeWindow, kFirstTimeQuestion, ControlKind::staticText, rectOf(45, 180, width - 45, 215),
             "Would you like to automatically add music from your Music Folder now?", 0, true);
  addControl(kFirstTimeWindow, kFirstTimeYes, ControlKind::radioButton, rectOf(45, 220, width - 45, 250), "Yes.");
  setControlValue(kFirstTimeWindow, kFirstTimeYes, 1);
  addControl(kFirstTimeWindow, kFirstTimeNo, ControlKind::radioButton, rectOf(45, 247, width - 45, 277),
             "No, I will add my music myself.");
  setControlValue(kFirstTimeWindow, kFirstTimeNo, 0);
  addControl(kFirstTimeWindow, kFirstTimeNote, ControlKind::staticText, rectOf(45, 285, width - 45, 330),
             "Note: Lumaroll never moves or copies your music files. The Lumaroll Library simply keeps a referene "
             "to where the files are located.",
             12);
  ControlDesc done = controlDesc(kFirstTimeWindow, kFirstTimeDone, ControlKind::bevelButton,
                                 rectOf(width - 90, height - 36, width - 23, height - 16), "Done");
  done.returnKey = true;
  toolboxCreateControl(done);
  gAddSystemFontsNow_S = 1;
  toolboxShowWindow(kFirstTimeWindow);
  toolboxInvalidateControl(kMainWindow, kDisplayControl);
  toolboxFlush();
}

void closeFirstTimeWindow() { toolboxCloseWindow(kFirstTimeWindow); }

void firstTimeWindowDone() {
  closeFirstTimeWindow();
  toolboxSelectWindow(kMainWindow);
  if (gAddSystemFontsNow_S == 1) {
    startAddTunesFromMusicFolder();
    gAddSystemFontsNow_S = 0;
  }
}

std::string leftOutReportText() {
  const AddRunStats& stats = addRunStats();
  if (stats.leftOut.empty() && stats.tunesAdded == 0 && stats.filesSeen == 0)
    return "No tunes have been added since Lumaroll started.\n";
  std::string text = addRunReportLine(stats).substr(std::string_view("Activity: ").size()) + ".\n";
  for (std::size_t r = 0; r < kLeftOutReasons; ++r)
    if (const std::int32_t n = stats.leftOutByReason[r]; n > 0)
      text += "  " + std::to_string(n) + " " + std::string(leftOutReasonText(static_cast<LeftOutReason>(r))) + "\n";
  if (!stats.leftOut.empty()) text += "\n";
  for (const LeftOutFile& f : stats.leftOut) {
    text += f.path + "\n    " + std::string(leftOutReasonText(f.reason));
    if (!f.detail.empty()) text += ": " + f.detail;
    text += "\n";
  }
  return text;
}

void showLeftOutWindow() {
  if (windowExists(kLeftOutWindow)) {
    setControlText(kLeftOutWindow, kLeftOutList, leftOutReportText());
    toolboxSelectWindow(kLeftOutWindow);
    return;
  }
  const ToolboxRect screen = toolboxMainScreenRect();
  const std::int32_t w = 640, h = 420;
  WindowDesc win;
  win.number = kLeftOutWindow;
  win.kind = WindowKind::dialog;
  win.title = "Files Not Added";
  win.content = ToolboxRect{screen.left + (screen.width - w) / 2, screen.top + (screen.height - h) / 3, w, h};
  toolboxCreateWindow(win);
  ControlDesc list;
  list.window = kLeftOutWindow;
  list.control = kLeftOutList;
  list.kind = ControlKind::textView;
  list.frame = ToolboxRect{10, 10, w - 20, h - 20};
  list.binding = kBindLeft | kBindTop | kBindRight | kBindBottom;
  list.text = leftOutReportText();
  toolboxCreateControl(list);
  toolboxShowWindow(kLeftOutWindow);
}
