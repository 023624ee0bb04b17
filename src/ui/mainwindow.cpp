#include "ui/mainwindow.h"

#include <algorithm>

#include "core/appstate.h"
#include "core/errors.h"
#include "core/prefs.h"
#include "ingest/save_alerts.h"
#include "ingest/windows.h"
#include "library/database.h"
#include "library/tune.h"
#include "player/display.h"
#include "player/playback.h"
#include "player/position.h"
#include "playlists/builder.h"
#include "playlists/presentation.h"
#include "ui/dbdata.h"

namespace {

constexpr std::int32_t kTopBand = 73;
constexpr std::int32_t kBottomBand = 32;

void addControl(ControlKind kind, std::int16_t id, ToolboxRect frame, std::uint8_t binding, std::string text = {},
                std::string icon = {}, std::string help = {}) {
  ControlDesc d;
  d.window = kMainWindow;
  d.control = id;
  d.kind = kind;
  d.frame = frame;
  d.binding = binding;
  d.text = std::move(text);
  d.icon = std::move(icon);
  d.helpTag = std::move(help);
  toolboxCreateControl(d);
}

ToolboxRect summaryFrame(std::int32_t w, std::int32_t h) { return ToolboxRect{w / 2 - 200, h - 23, 400, 13}; }

bool intersects(const ToolboxRect& a, const ToolboxRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

// Saves the library and the preferences and ends the program, unless a
// save failed and the person chose to keep the program running.
void saveAndQuit(QuitSave how) {
  makeSavingDBTunesWindow();  // "Saving Library..." while the library is written
  if (saveBeforeQuitting(how, true)) exitProgram(0);
}

}  // namespace

ToolboxRect mainWindowFrameOnScreen(const ToolboxRect& saved, const ToolboxRect& mainScreen,
                                    const std::vector<ToolboxRect>& screens) {
  ToolboxRect r = saved;
  r.width = std::max(r.width, kMainMinWidth);
  r.height = std::max(r.height, kMainMinHeight);
  // A content whose top strip lies on no screen (a screen since removed)
  // starts on the main screen. The toolbox then keeps the whole frame, title
  // bar and menu bar included, on the screen it lands on.
  const ToolboxRect titleStrip{r.left, r.top, r.width, 30};
  const bool reachable =
      std::any_of(screens.begin(), screens.end(), [&](const ToolboxRect& s) { return intersects(titleStrip, s); });
  if (!reachable) {
    r.left = mainScreen.left;
    r.top = mainScreen.top;
  }
  return r;
}

void buildMainWindow() {
  const ToolboxRect frame =
      mainWindowFrameOnScreen(ToolboxRect{gWin1PosHor_S, gWin1PosVert_S, gWin1SizeHor_S, gWin1SizeVert_S},
                              toolboxMainScreenRect(), toolboxScreenRects());
  WindowDesc win;
  win.number = kMainWindow;
  win.kind = WindowKind::document;
  win.title = "Lumaroll";
  win.content = frame;
  win.background = ToolboxRGB{0xD900, 0xD900, 0xD900};
  win.minWidth = kMainMinWidth;
  win.minHeight = kMainMinHeight;
  win.topBand = kTopBand;
  win.bottomBand = kBottomBand;
  toolboxCreateWindow(win);

  const std::int32_t W = frame.width, H = frame.height;
  const std::uint8_t right = kBindRight | kBindTop, rightBottom = kBindRight | kBindBottom,
                     bottom = kBindLeft | kBindBottom, fixed = kBindLeft | kBindTop;

  // The display panel lies under the top bar's controls.
  addControl(ControlKind::displayPanel, kDisplayControl, ToolboxRect{0, 0, W, kTopBand},
             kBindLeft | kBindTop | kBindRight);
  addControl(ControlKind::searchField, kSearchField, ToolboxRect{W - 215, 20, 200, 22}, right);
  {
    ControlDesc caption;
    caption.window = kMainWindow;
    caption.control = 1002;
    caption.kind = ControlKind::staticText;
    caption.frame = ToolboxRect{W - 200, 47, 180, 15};
    caption.text = "Search";
    caption.align = TextAlign::centre;
    caption.binding = right;
    toolboxCreateControl(caption);
  }

  static const char* const kColourIcons[9] = {"BlueBtn",   "CoolBlueBtn", "GreenBtn", "SpringGreenBtn", "YellowBtn",
                                              "OrangeBtn", "RedBtn",      "PinkBtn",  "PurpleBtn"};
  static const char* const kColourHelp[9] = {
      "Click To Play Blue Tunes",         "Click To Play Cool Blue Tunes", "Click To Play Green Tunes",
      "Click To Play Bright Green Tunes", "Click To Play Yellow Tunes",    "Click To Play Orange Tunes",
      "Click To Play Red Tunes",          "Click To Play Pink Tunes",      "Click To Play Purple Tunes"};
  addControl(ControlKind::iconButton, 10, ToolboxRect{W - 50, H - 26, 22, 22}, rightBottom, {}, "AllTunesBtn",
             "Click To List All Tunes");
  for (int n = 9; n >= 1; --n)
    addControl(ControlKind::iconButton, static_cast<std::int16_t>(n),
               ToolboxRect{W - 27 - 23 * (11 - n), H - 26, 22, 22}, rightBottom, {}, kColourIcons[n - 1],
               kColourHelp[n - 1]);
  addControl(ControlKind::iconButton, 16, ToolboxRect{46, 12, 24, 24}, fixed, {}, "StarBtn",
             "Quick-More From Smart-Plays");
  addControl(ControlKind::iconButton, 12, ToolboxRect{70, 8, 32, 32}, fixed, {}, "BackBtn", "Back Tune");
  addControl(ControlKind::iconButton, 11, ToolboxRect{100, -1, 48, 48}, fixed, {},
             gWeArePlaying_S == 1 ? "StopBtn" : "PlayBtn", "Play/Stop");
  addControl(ControlKind::iconButton, 13, ToolboxRect{146, 8, 32, 32}, fixed, {}, "ForwardBtn", "Next Tune");
  addControl(ControlKind::iconButton, 15, ToolboxRect{179, 12, 24, 24}, fixed, {}, "QuickMoreTuneBtn",
             "Smart-More Like This Tune!");
  {
    ControlDesc slider;
    slider.window = kMainWindow;
    slider.control = kVolumeSlider;
    slider.kind = ControlKind::slider;
    slider.frame = ToolboxRect{47, 52, 156, 20};
    slider.minimum = 0;
    slider.maximum = kMaxPlayerVolume;
    slider.value = gPlayerVolume_S;
    slider.binding = fixed;
    toolboxCreateControl(slider);
  }
  addControl(ControlKind::staticText, kActivityText, ToolboxRect{13, H - 23, 237, 13}, bottom, "Activity: None");
  {
    ControlDesc summary;
    summary.window = kMainWindow;
    summary.control = kSummaryText;
    summary.kind = ControlKind::staticText;
    summary.frame = summaryFrame(W, H);
    summary.text = playlistSummaryText();
    summary.align = TextAlign::centre;
    summary.binding = fixed;  // placed again by the resize handler
    toolboxCreateControl(summary);
  }

  {
    // The play position, under the display's text: elapsed time, a thin
    // slider, remaining time. They rest disabled and empty until a tune plays.
    ControlDesc times;
    times.window = kMainWindow;
    times.kind = ControlKind::staticText;
    times.control = kElapsedText;
    times.frame = ToolboxRect{250, 59, 44, 13};
    times.align = TextAlign::right;
    toolboxCreateControl(times);
    times.control = kRemainingText;
    times.frame = ToolboxRect{W - 294, 59, 44, 13};
    times.align = TextAlign::left;
    times.binding = right;
    toolboxCreateControl(times);
    ControlDesc position;
    position.window = kMainWindow;
    position.control = kPositionSlider;
    position.kind = ControlKind::positionSlider;
    position.frame = ToolboxRect{298, 59, std::max(0, W - 596), 13};
    position.step = kPositionStep;
    position.binding = kBindLeft | kBindTop | kBindRight;
    toolboxCreateControl(position);
    setControlEnabled(kMainWindow, kPositionSlider, false);
  }

  if (DBBrowser* list = CreateKWED3rowser()) InitialiseBrowserData(list);
  drawDisplay();
  toolboxShowWindow(kMainWindow);
  toolboxSetKeyboardFocus(kMainWindow, kSearchField);
}

void MyWindowBoundsChangedHandler(std::int16_t window) {
  if (window != kMainWindow) return;
  ToolboxRect r;
  if (!toolboxGetWindowContentRect(kMainWindow, r)) return;
  if (r.width < kMainMinWidth || r.height < kMainMinHeight) {
    r.width = std::max(r.width, kMainMinWidth);
    r.height = std::max(r.height, kMainMinHeight);
    toolboxSetWindowContentRect(kMainWindow, r);
  }
  drawDisplay();
  setControlFrame(kMainWindow, kSummaryText, summaryFrame(r.width, r.height));
  setPlaylistSummary();
}

void MyControlAction(std::int16_t window, std::int16_t control, std::int32_t value) {
  if (window == kMainWindow && control == kPositionSlider) {
    playerSeek(value);
    return;
  }
  if (window != kMainWindow || control != kVolumeSlider) return;
  gPlayerVolume_S = static_cast<std::int16_t>(std::clamp<std::int32_t>(value, 0, kMaxPlayerVolume));
  if (gWeArePlaying_S == 1) playerVolumeSlider(gPlayerVolume_S);  // the playing tune takes it at once
}

std::int32_t MyCommandHandler(std::uint32_t command) {
  if (command == kQuitNowCommand) {
    saveAndQuit(QuitSave::silent);
    return 0;
  }
  if (command != kQuitCommand) return kEventNotHandledErr;
  if (gWeAeAddingTunes_S != 1) {
    saveAndQuit(QuitSave::ask);
    return 0;
  }
  if (CationAlert("Tunes Are Still Being Added to Your Library...",
                  "Are you sure you want to quit? If so, you can simply re-add tunes from this folder at a later "
                  "time.",
                  "Quit")) {
    if (saveBeforeQuitting(QuitSave::ask, false)) exitProgram(0);
  }
  return 0;
}

std::int16_t MyGetIconRefFromFileInResources(std::string_view name) { return toolboxHasIcon(name) ? 0 : -50; }

void windowIcons(std::int16_t window, std::string_view iconName, std::string_view title, bool big) {
  if (iconName.empty()) return;
  ToolboxRect content;
  if (!toolboxGetWindowContentRect(window, content)) return;
  if (MyGetIconRefFromFileInResources(iconName) != 0) exitProgram(0);
  ControlDesc text;
  text.window = window;
  text.control = 20002;
  text.kind = ControlKind::staticText;
  text.frame = ToolboxRect{41, 24, content.width - 15 - 41, 16};
  text.text = std::string(title);
  text.fontSize = 13;
  text.bold = true;
  text.align = TextAlign::centre;
  toolboxCreateControl(text);
  ControlDesc icon;
  icon.window = window;
  icon.control = 20001;
  icon.kind = ControlKind::iconButton;
  icon.frame = big ? ToolboxRect{10, 9, 52, 52} : ToolboxRect{13, 13, 37, 37};
  icon.icon = std::string(iconName);
  toolboxCreateControl(icon);
}

namespace {
constexpr const char* kProductPage = "https://www.orvane.example/lumaroll/";
constexpr const char* kMakerSite = "https://www.orvane.example/";
constexpr const char* kSupportMail = "mailto:support@orvane.example";
}  // namespace

void buildAboutWin() {
  if (gWin14_S == 1 && windowExists(kAboutWindow)) {
    toolboxSelectWindow(kAboutWindow);
    return;
  }
  gWin14_S = 1;
  const ToolboxRect screen = toolboxMainScreenRect();
  const std::int32_t W = 500, H = 385;
  WindowDesc win;
  win.number = kAboutWindow;
  win.kind = WindowKind::dialog;
  win.title = "About Orvane\u00AE Lumaroll";
  win.content = ToolboxRect{screen.left + (screen.width - W) / 2, screen.top + (screen.height - H) / 3, W, H};
  win.background = ToolboxRGB{0xEC00, 0xEC00, 0xEC00};
  toolboxCreateWindow(win);

  auto add = [](ControlDesc d) {
    d.window = kAboutWindow;
    toolboxCreateControl(d);
  };
  ControlDesc well;
  well.control = 2000;
  well.kind = ControlKind::well;
  well.frame = ToolboxRect{20, 110, W - 40, 168};
  add(well);
  ControlDesc icon;
  icon.control = 2001;
  icon.kind = ControlKind::iconButton;
  icon.frame = ToolboxRect{W / 2 - 50, 10, 85, 85};
  icon.icon = "LumarollIcon";
  add(icon);
  ControlDesc name;
  name.control = 2002;
  name.kind = ControlKind::staticText;
  name.frame = ToolboxRect{20, 92, W - 40, 18};
  name.text = "Orvane\u00AE Lumaroll";
  name.fontSize = 13;
  name.bold = true;
  name.align = TextAlign::centre;
  add(name);
  ControlDesc version = name;
  version.control = 2003;
  version.frame = ToolboxRect{30, 130, W - 60, 18};
  version.text = "Version " + gCurrentVersionExtended$.str();
  version.bold = false;
  add(version);
  ControlDesc blurb = version;
  blurb.control = 2004;
  blurb.frame = ToolboxRect{30, 160, W - 60, 100};
  blurb.fontSize = 0;
  blurb.text =
      "Lumaroll files every tune of your library into one of nine colours by the energy it carries, from "
      "Midnight Blue to Purple, and plays energy-matched playlists.";
  add(blurb);
  const struct {
    std::int16_t id;
    const char* title;
  } buttons[] = {{9005, "Check For Updates"}, {9003, "Email Orvane"}, {9004, "Visit Orvane"}, {9002, "Done"}};
  std::int32_t x = 15;
  for (const auto& b : buttons) {
    ControlDesc d;
    d.control = b.id;
    d.kind = ControlKind::bevelButton;
    d.frame = ToolboxRect{x, 310, 110, 26};
    d.text = b.title;
    d.returnKey = d.escapeKey = b.id == 9002;  // Done
    add(d);
    x += 120;
  }
  toolboxShowWindow(kAboutWindow);
}

void closeAboutWin() {
  toolboxCloseWindow(kAboutWindow);
  gWin14_S = 0;
}

void doAboutButton(std::int16_t control) {
  switch (control) {
    case 9002:
      closeAboutWin();
      toolboxSelectWindow(kMainWindow);
      break;
    case 9003: toolboxOpenURL(kSupportMail); break;
    case 9004:
      closeAboutWin();
      toolboxOpenURL(kMakerSite);
      break;
    case 9005:
      closeAboutWin();
      toolboxOpenURL(kProductPage);
      break;
    default: break;
  }
}
