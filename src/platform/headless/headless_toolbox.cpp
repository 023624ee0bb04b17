#include "platform/headless/headless_toolbox.h"

#include <algorithm>

HeadlessToolbox& headlessToolbox() {
  static HeadlessToolbox tb;
  return tb;
}

HeadlessWindow* HeadlessToolbox::window(std::int16_t number) {
  auto it = windows.find(number);
  return it == windows.end() ? nullptr : &it->second;
}

HeadlessControl* HeadlessToolbox::control(std::int16_t w, std::int16_t c) {
  HeadlessWindow* win = window(w);
  if (!win) return nullptr;
  auto it = win->controls.find(c);
  return it == win->controls.end() ? nullptr : &it->second;
}

HeadlessListView* HeadlessToolbox::list(std::int16_t w, std::int16_t c) {
  HeadlessWindow* win = window(w);
  if (!win) return nullptr;
  auto it = win->lists.find(c);
  return it == win->lists.end() ? nullptr : &it->second;
}

bool HeadlessToolbox::logged(const std::string& prefix) const {
  return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

namespace {
std::string ids(std::int16_t window, std::int16_t control) {
  return std::to_string(window) + "/" + std::to_string(control);
}
}  // namespace

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

std::vector<ToolboxRect> toolboxScreenRects() {
  auto& tb = headlessToolbox();
  std::vector<ToolboxRect> r{tb.screen};
  r.insert(r.end(), tb.otherScreens.begin(), tb.otherScreens.end());
  return r;
}

bool toolboxGetWindowContentRect(std::int16_t window, ToolboxRect& rect) {
  auto& tb = headlessToolbox();
  if (HeadlessWindow* w = tb.window(window)) {
    rect = w->desc.content;
    return true;
  }
  if (window != 1 || !tb.hasMainWindow) return false;
  rect = tb.mainWindow;
  return true;
}

// Control changes are recorded whether or not the window exists, so tests
// can see what would be shown; a control that exists also keeps the change.
void setControlText(std::int16_t window, std::int16_t control, std::string_view text) {
  auto& tb = headlessToolbox();
  tb.log.push_back("text:" + ids(window, control) + "=" + std::string(text));
  if (HeadlessControl* c = tb.control(window, control)) c->desc.text = std::string(text);
}

void setControlValue(std::int16_t window, std::int16_t control, std::int32_t value) {
  auto& tb = headlessToolbox();
  tb.log.push_back("value:" + ids(window, control) + "=" + std::to_string(value));
  if (HeadlessControl* c = tb.control(window, control)) c->desc.value = value;
}

void setControlMaximum(std::int16_t window, std::int16_t control, std::int32_t maximum) {
  if (HeadlessControl* c = headlessToolbox().control(window, control)) {
    c->desc.maximum = maximum;
    c->desc.value = std::min(c->desc.value, maximum);
  }
}

void setControlEnabled(std::int16_t window, std::int16_t control, bool enabled) {
  auto& tb = headlessToolbox();
  tb.log.push_back("enabled:" + ids(window, control) + "=" + (enabled ? "1" : "0"));
  if (HeadlessControl* c = tb.control(window, control)) c->enabled = enabled;
}

bool windowExists(std::int16_t window) {
  auto& tb = headlessToolbox();
  return tb.window(window) != nullptr || (window == 1 && tb.hasMainWindow) || tb.openWindows.count(window) > 0;
}

void toolboxCreateWindow(const WindowDesc& desc) {
  auto& tb = headlessToolbox();
  tb.log.push_back("window:" + std::to_string(desc.number) + "=" + desc.title);
  HeadlessWindow w;
  w.desc = desc;
  tb.windows[desc.number] = std::move(w);
}

void toolboxShowWindow(std::int16_t window) {
  auto& tb = headlessToolbox();
  if (HeadlessWindow* w = tb.window(window)) {
    w->visible = true;
    if (w->desc.kind != WindowKind::overlay) tb.activeWindow = window;
  }
}

void toolboxSelectWindow(std::int16_t window) {
  auto& tb = headlessToolbox();
  tb.log.push_back("select:" + std::to_string(window));
  if (tb.window(window)) tb.activeWindow = window;
}

void toolboxCloseWindow(std::int16_t window) {
  auto& tb = headlessToolbox();
  if (tb.windows.erase(window)) tb.log.push_back("close:" + std::to_string(window));
  if (tb.activeWindow == window) tb.activeWindow = tb.window(1) ? 1 : 0;
}

void toolboxSetWindowContentRect(std::int16_t window, const ToolboxRect& rect) {
  if (HeadlessWindow* w = headlessToolbox().window(window)) w->desc.content = rect;
}

std::int16_t toolboxActiveWindow() { return headlessToolbox().activeWindow; }

void toolboxSetWindowOpacity(std::int16_t window, double opacity) {
  if (HeadlessWindow* w = headlessToolbox().window(window)) w->opacity = opacity;
}

void toolboxCreateControl(const ControlDesc& desc) {
  auto& tb = headlessToolbox();
  HeadlessWindow* w = tb.window(desc.window);
  if (!w) return;
  w->controls[desc.control].desc = desc;
}

void setControlFrame(std::int16_t window, std::int16_t control, const ToolboxRect& frame) {
  if (HeadlessControl* c = headlessToolbox().control(window, control)) c->desc.frame = frame;
}

void setControlIcon(std::int16_t window, std::int16_t control, std::string_view icon) {
  auto& tb = headlessToolbox();
  tb.log.push_back("icon:" + ids(window, control) + "=" + std::string(icon));
  if (HeadlessControl* c = tb.control(window, control)) c->desc.icon = std::string(icon);
}

bool toolboxHasIcon(std::string_view icon) {
  return !icon.empty() && headlessToolbox().missingIcons.count(std::string(icon)) == 0;
}

std::string getControlText(std::int16_t window, std::int16_t control) {
  HeadlessControl* c = headlessToolbox().control(window, control);
  return c ? c->desc.text : std::string();
}

std::int32_t getControlValue(std::int16_t window, std::int16_t control) {
  HeadlessControl* c = headlessToolbox().control(window, control);
  return c ? c->desc.value : 0;
}

bool controlExists(std::int16_t window, std::int16_t control) {
  auto& tb = headlessToolbox();
  return tb.control(window, control) != nullptr || tb.list(window, control) != nullptr;
}

void toolboxSetKeyboardFocus(std::int16_t window, std::int16_t control) {
  if (HeadlessWindow* w = headlessToolbox().window(window)) w->focus = control;
}

std::int16_t toolboxKeyboardFocus(std::int16_t window) {
  HeadlessWindow* w = headlessToolbox().window(window);
  return w ? w->focus : 0;
}

void toolboxInvalidateControl(std::int16_t window, std::int16_t control) {
  headlessToolbox().log.push_back("redraw:" + ids(window, control));
}

void toolboxSetDisplayPanel(std::int16_t window, std::int16_t control, const DisplayPanel& panel) {
  auto& tb = headlessToolbox();
  tb.log.push_back("display:" + ids(window, control) + "=" + panel.text);
  if (HeadlessControl* c = tb.control(window, control)) c->display = panel;
}

void toolboxSetNoticePanel(std::int16_t window, std::int16_t control, const NoticePanel& panel) {
  auto& tb = headlessToolbox();
  tb.log.push_back("notice:" + panel.text);
  if (HeadlessControl* c = tb.control(window, control)) c->notice = panel;
}

void listViewCreate(std::int16_t window, std::int16_t control, const ToolboxRect& frame, std::uint8_t binding,
                    std::span<const ListColumnDesc> columns, std::int32_t rowHeight, ListViewCallbacks* callbacks) {
  (void)rowHeight;
  auto& tb = headlessToolbox();
  HeadlessWindow* w = tb.window(window);
  if (!w) return;
  HeadlessListView& l = w->lists[control];
  l = HeadlessListView{};
  l.columns.assign(columns.begin(), columns.end());
  l.callbacks = callbacks;
  for (const auto& c : columns) l.widths[c.key] = c.width;
  (void)frame;
  (void)binding;
}

namespace {
void sortRows(HeadlessListView& l) {
  if (!l.sortColumn || !l.callbacks) return;
  std::stable_sort(l.rows.begin(), l.rows.end(),
                   [&](std::int32_t a, std::int32_t b) { return l.callbacks->rowBefore(l.sortColumn, a, b); });
}
}  // namespace

void listViewAddRows(std::int16_t window, std::int16_t control, std::span<const std::int32_t> rows) {
  HeadlessListView* l = headlessToolbox().list(window, control);
  if (!l) return;
  std::set<std::int32_t> shown(l->rows.begin(), l->rows.end());
  std::vector<std::int32_t> fresh;
  for (std::int32_t r : rows)
    if (shown.insert(r).second) fresh.push_back(r);
  if (l->callbacks && !fresh.empty()) l->callbacks->loadRows(fresh);
  l->rows.insert(l->rows.end(), fresh.begin(), fresh.end());
  sortRows(*l);
}

void listViewRemoveRow(std::int16_t window, std::int16_t control, std::int32_t row) {
  HeadlessListView* l = headlessToolbox().list(window, control);
  if (!l) return;
  l->rows.erase(std::remove(l->rows.begin(), l->rows.end(), row), l->rows.end());
  if (l->selected == row) l->selected = 0;
}

void listViewRemoveAll(std::int16_t window, std::int16_t control) {
  if (HeadlessListView* l = headlessToolbox().list(window, control)) {
    l->rows.clear();
    l->selected = 0;
    if (l->callbacks) l->callbacks->allRowsRemoved();
  }
}

// The recording list has no editors.
void listViewEndEditing(std::int16_t, std::int16_t) {}

void listViewSetSortColumn(std::int16_t window, std::int16_t control, ListColumnKey key) {
  if (HeadlessListView* l = headlessToolbox().list(window, control)) {
    l->sortColumn = key;
    sortRows(*l);
  }
}

void listViewSetColumnWidth(std::int16_t window, std::int16_t control, ListColumnKey key, std::int32_t width) {
  if (HeadlessListView* l = headlessToolbox().list(window, control)) l->widths[key] = width;
}

void listViewSelectRow(std::int16_t window, std::int16_t control, std::int32_t row) {
  if (HeadlessListView* l = headlessToolbox().list(window, control)) l->selected = row;
}

void listViewScrollToTop(std::int16_t window, std::int16_t control) {
  headlessToolbox().log.push_back("scrolltop:" + ids(window, control));
}

void listViewReveal(std::int16_t window, std::int16_t control, std::int32_t row, ListColumnKey) {
  headlessToolbox().log.push_back("reveal:" + ids(window, control) + "=" + std::to_string(row));
}

std::vector<std::int32_t> listViewShownRows(std::int16_t window, std::int16_t control) {
  HeadlessListView* l = headlessToolbox().list(window, control);
  return l ? l->rows : std::vector<std::int32_t>{};
}

void toolboxCreateMenu(std::int16_t menu, std::string_view title) {
  headlessToolbox().menuItems[{menu, 0}] = std::string(title);
}

void toolboxSetMenuItem(std::int16_t menu, std::int16_t item, std::string_view text, char shortcut) {
  auto& tb = headlessToolbox();
  for (std::int16_t i = 1; i < item; ++i) tb.menuItems.try_emplace({menu, i}, "-");
  tb.menuItems[{menu, item}] = std::string(text);
  if (shortcut) tb.menuKeys[{menu, item}] = shortcut;
}

void setMenuItemText(std::int16_t menu, std::int16_t item, std::string_view text) {
  headlessToolbox().menuItems[{menu, item}] = std::string(text);
}

void setMenuItemEnabled(std::int16_t menu, std::int16_t item, bool enabled) {
  auto& tb = headlessToolbox();
  tb.log.push_back("menuenabled:" + ids(menu, item) + "=" + (enabled ? "1" : "0"));
  if (enabled)
    tb.disabledMenuItems.erase({menu, item});
  else
    tb.disabledMenuItems.insert({menu, item});
}

bool toolboxMenuItemEnabled(std::int16_t menu, std::int16_t item) {
  const auto& tb = headlessToolbox();
  const auto text = tb.menuItems.find({menu, item});
  return item >= 1 && text != tb.menuItems.end() && text->second != "-" && !tb.disabledMenuItems.count({menu, 0}) &&
         !tb.disabledMenuItems.count({menu, item});
}

bool toolboxChooseMenuItem(std::int16_t menu, std::int16_t item) {
  if (!toolboxMenuItemEnabled(menu, item)) return false;
  headlessToolbox().log.push_back("menuchosen:" + ids(menu, item));
  if (const auto handler = headlessToolbox().handlers.menu) handler(menu, item);
  return true;
}

void setMenuItemMark(std::int16_t menu, std::int16_t item, bool marked) {
  headlessToolbox().log.push_back("menumark:" + ids(menu, item) + "=" + (marked ? "1" : "0"));
}

std::int32_t toolboxAttachSubmenu(std::int16_t menu, std::int16_t item, std::int16_t submenu) {
  auto& tb = headlessToolbox();
  if (!tb.menuItems.count({menu, 0}) && !tb.menuItems.count({menu, item})) return -1;
  tb.submenus[{menu, item}] = submenu;
  tb.menuItems.try_emplace({submenu, 0}, "");
  return 0;
}

std::string getMenuItemText(std::int16_t menu, std::int16_t item) {
  auto& items = headlessToolbox().menuItems;
  auto it = items.find({menu, item});
  return it == items.end() ? std::string() : it->second;
}

void setMenuItemDiscIcon(std::int16_t menu, std::int16_t item, ToolboxRGB colour) {
  headlessToolbox().menuIcons[{menu, item}] = colour;
}

void toolboxSetEditMenuItem(std::int16_t menu, std::int16_t item, std::string_view text, EditCommand command) {
  auto& tb = headlessToolbox();
  tb.menuItems[{menu, item}] = std::string(text);
  tb.editItems[{menu, item}] = command;
}

std::int32_t toolboxRevealFile(std::string_view path, void (*)()) {
  auto& tb = headlessToolbox();
  tb.log.push_back("reveal:" + std::string(path));
  return tb.revealResult;
}

bool toolboxChooseFolder(std::string_view, std::string& path) {
  auto& tb = headlessToolbox();
  if (tb.chosenFolders.empty()) return false;
  path = tb.chosenFolders.front();
  tb.chosenFolders.pop_front();
  return !path.empty();
}

void toolboxOpenURL(std::string_view url) { headlessToolbox().log.push_back("open:" + std::string(url)); }

void toolboxInstallHandlers(const ToolboxHandlers& handlers) { headlessToolbox().handlers = handlers; }
const ToolboxHandlers& toolboxHandlers() { return headlessToolbox().handlers; }

int toolboxRunEventLoop() { return 1; }

std::uint32_t TickCount() { return headlessToolbox().ticks; }

void toolboxDelay(std::int32_t milliseconds) {
  auto& tb = headlessToolbox();
  tb.log.push_back("delay:" + std::to_string(milliseconds));
  tb.ticks += static_cast<std::uint32_t>(milliseconds * 60 / 1000);
}

void toolboxFlush() {}
