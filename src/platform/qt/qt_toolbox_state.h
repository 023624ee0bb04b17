// What the files of the Qt toolbox share: its state (windows, menus, the
// program's handlers) and the look-ups over it. Private to platform/qt.
#pragma once

#include <QActionGroup>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QRect>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/qt/qt_widgets.h"
#include "platform/toolbox.h"

namespace qtbox {

using WindowPtr = std::unique_ptr<ToolboxWindow, DeleteLater>;

struct MenuItem {
  QAction* action = nullptr;  // owned by its menu
};

struct Menu {
  std::unique_ptr<QMenu> menu;
  std::vector<MenuItem> items;  // item n at n - 1
  QAction* tail = nullptr;      // items are inserted before this (File: the separator before Quit)
  // File: the program's own items, which disabling the whole menu greys,
  // while Quit stays live (the program asks before quitting an add run).
  QActionGroup* items_group = nullptr;
  bool submenu = false;  // attached to an item; never in the menu bar
};

struct QtToolbox {
  std::map<std::int16_t, WindowPtr> windows;
  std::map<std::int16_t, Menu> menus;
  ToolboxHandlers handlers;
  QElapsedTimer clock;
  std::unique_ptr<QTimer> passTimer;
  std::unique_ptr<QObject> keyFilter;
  std::unique_ptr<QSocketNotifier> signalNotifier;
  bool loopHooked = false;
  std::function<bool(std::string_view)> alertResponder;
};

QtToolbox& tb();
ToolboxWindow* findWindow(std::int16_t number);
QtControl* findControl(std::int16_t window, std::int16_t control);
ListView* findList(std::int16_t window, std::int16_t control);
// The number of the window a widget is in (0 when none).
std::int16_t numberOf(QWidget* w);
// The main window while it shows, for alerts and dialogs to sit on.
QWidget* alertParent();
ToolboxRect fromQRect(const QRect& r);
// The program's text with its line breaks ('\r') as Qt's.
QString qText(std::string_view s);
// Menus and buttons take '&' as the mark of a keyboard mnemonic; the
// program's texts ("R&B") mean the character itself.
QString literalText(std::string_view s);

// The loop (qt_toolbox.cpp): passes every 2 ticks while the program asks for
// them, and the key filter, installed once an application object exists.
void schedulePasses();
void hookLoop();

// Menus (qt_menus.cpp).
constexpr std::int16_t kFileMenu = 1;
constexpr std::int16_t kApplicationMenu = 254;
void installMenuBar();
void ensureDefaultMenus();
QAction* menuItem(std::int16_t menu, std::int16_t item);

// Controls (qt_windows.cpp): puts a made widget into its window.
void addControlWidget(ToolboxWindow* w, const ControlDesc& d, QWidget* widget);

}  // namespace qtbox
