// The Qt toolbox's menus: the menu bar, File with Quit last, items and marks.
#include "platform/qt/qt_toolbox.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <memory>
#include <string>

#include "platform/qt/qt_toolbox_state.h"

namespace qtbox {

namespace {

void ensureMenu(std::int16_t id, std::string_view title);

}  // namespace

void installMenuBar() {
  ToolboxWindow* w = findWindow(1);
  if (!w) return;
  auto* bar = new QMenuBar(w);
  // In order of ID; the application menu (About) last, as Help.
  for (auto& [id, m] : tb().menus)
    if (id != kApplicationMenu && !m.submenu) bar->addMenu(m.menu.get());
  if (auto it = tb().menus.find(kApplicationMenu); it != tb().menus.end()) bar->addMenu(it->second.menu.get());
  w->setMenuBar(bar);
  w->applyMinimumSize();
}

namespace {

void ensureMenu(std::int16_t id, std::string_view title) {
  QtToolbox& t = tb();
  if (t.menus.count(id)) return;
  Menu m;
  m.menu = std::make_unique<QMenu>(literalText(title));
  if (id == kFileMenu) {
    // Quit stays the last item of File whatever the program adds.
    m.tail = m.menu->addSeparator();
    m.items_group = new QActionGroup(m.menu.get());
    m.items_group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    QAction* quit = m.menu->addAction(QObject::tr("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    QObject::connect(quit, &QAction::triggered, [] {
      if (tb().handlers.command)
        tb().handlers.command(kQuitCommand);
      else
        QCoreApplication::quit();
    });
  }
  t.menus[id] = std::move(m);
  if (findWindow(1)) installMenuBar();
}

}  // namespace

void ensureDefaultMenus() {
  ensureMenu(kFileMenu, "File");
  ensureMenu(kApplicationMenu, "Help");
}

QAction* menuItem(std::int16_t menu, std::int16_t item) {
  auto it = tb().menus.find(menu);
  if (it == tb().menus.end() || item < 1 || static_cast<std::size_t>(item) > it->second.items.size()) return nullptr;
  return it->second.items[static_cast<std::size_t>(item - 1)].action;
}

}  // namespace qtbox

using namespace qtbox;

void toolboxCreateMenu(std::int16_t menu, std::string_view title) {
  ensureDefaultMenus();
  auto it = tb().menus.find(menu);
  if (it != tb().menus.end()) {
    it->second.menu->setTitle(literalText(title));
    return;
  }
  ensureMenu(menu, title);
}

void toolboxSetMenuItem(std::int16_t menu, std::int16_t item, std::string_view text, char shortcut) {
  if (item < 1) return;
  ensureDefaultMenus();
  if (!tb().menus.count(menu)) ensureMenu(menu, "");
  Menu& m = tb().menus[menu];
  while (m.items.size() < static_cast<std::size_t>(item)) {
    QAction* a = new QAction(m.menu.get());
    a->setSeparator(true);
    m.menu->insertAction(m.tail, a);
    if (m.items_group) m.items_group->addAction(a);
    const std::int16_t number = static_cast<std::int16_t>(m.items.size() + 1);
    QObject::connect(a, &QAction::triggered, [menu, number] {
      if (tb().handlers.menu) tb().handlers.menu(menu, number);
      schedulePasses();
    });
    m.items.push_back(MenuItem{a});
  }
  QAction* a = m.items[static_cast<std::size_t>(item - 1)].action;
  a->setSeparator(text == "-");
  if (text != "-") a->setText(literalText(text));
  if (shortcut)
    a->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(QChar(shortcut).toUpper().unicode()))));
}

void setMenuItemText(std::int16_t menu, std::int16_t item, std::string_view text) {
  if (QAction* a = menuItem(menu, item)) a->setText(literalText(text));
}

void setMenuItemEnabled(std::int16_t menu, std::int16_t item, bool enabled) {
  auto it = tb().menus.find(menu);
  if (it == tb().menus.end()) return;
  if (item == 0) {
    if (it->second.items_group)
      it->second.items_group->setEnabled(enabled);
    else
      it->second.menu->setEnabled(enabled);
    return;
  }
  if (QAction* a = menuItem(menu, item)) {
    a->setEnabled(enabled);
    a->setChecked(false);
    a->setCheckable(false);
  }
}

bool toolboxMenuItemEnabled(std::int16_t menu, std::int16_t item) {
  auto it = tb().menus.find(menu);
  if (it == tb().menus.end() || !it->second.menu->isEnabled()) return false;
  const QAction* a = menuItem(menu, item);
  return a && !a->isSeparator() && a->isEnabled();
}

bool toolboxChooseMenuItem(std::int16_t menu, std::int16_t item) {
  if (!toolboxMenuItemEnabled(menu, item)) return false;
  menuItem(menu, item)->trigger();  // the handler, then the passes, as for a click
  return true;
}

void setMenuItemMark(std::int16_t menu, std::int16_t item, bool marked) {
  if (QAction* a = menuItem(menu, item)) {
    a->setCheckable(marked);
    a->setChecked(marked);
  }
}

std::int32_t toolboxAttachSubmenu(std::int16_t menu, std::int16_t item, std::int16_t submenu) {
  auto it = tb().menus.find(menu);
  if (it == tb().menus.end()) return -1;
  QAction* a = menuItem(menu, item);
  if (!a) return -1;
  auto sub = tb().menus.find(submenu);
  if (sub == tb().menus.end()) {
    Menu m;
    m.menu = std::make_unique<QMenu>(a->text());
    m.submenu = true;
    sub = tb().menus.emplace(submenu, std::move(m)).first;
  }
  sub->second.submenu = true;
  a->setSeparator(false);
  a->setMenu(sub->second.menu.get());
  if (findWindow(1)) installMenuBar();
  return 0;
}

std::string getMenuItemText(std::int16_t menu, std::int16_t item) {
  QAction* a = menuItem(menu, item);
  // Items hold their texts with every '&' doubled (see literalText).
  return a && !a->isSeparator() ? a->text().replace(QStringLiteral("&&"), QStringLiteral("&")).toStdString()
                                : std::string();
}

void setMenuItemDiscIcon(std::int16_t menu, std::int16_t item, ToolboxRGB colour) {
  QAction* a = menuItem(menu, item);
  if (!a) return;
  QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(8, 8);
    p.scale(8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(colour.red / 65535.0f, colour.green / 65535.0f, colour.blue / 65535.0f, 1.0f));
    p.drawEllipse(QPointF(0, 0), 1.0, 1.0);
  }
  a->setIcon(QIcon(QPixmap::fromImage(image)));
}

void toolboxSetEditMenuItem(std::int16_t menu, std::int16_t item, std::string_view text, EditCommand command) {
  toolboxSetMenuItem(menu, item, text, 0);
  QAction* a = menuItem(menu, item);
  if (!a) return;
  QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
  switch (command) {
    case EditCommand::undo: a->setShortcut(QKeySequence::Undo); break;
    case EditCommand::redo: a->setShortcut(QKeySequence::Redo); break;
    case EditCommand::cut: a->setShortcut(QKeySequence::Cut); break;
    case EditCommand::copy: a->setShortcut(QKeySequence::Copy); break;
    case EditCommand::paste: a->setShortcut(QKeySequence::Paste); break;
    case EditCommand::selectAll: a->setShortcut(QKeySequence::SelectAll); break;
    case EditCommand::clear: break;
  }
  // The keys stay with the text field that has the focus; the item serves
  // the mouse.
  a->setShortcutContext(Qt::WidgetShortcut);
  QObject::connect(a, &QAction::triggered, [command] {
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!field) return;
    switch (command) {
      case EditCommand::undo: field->undo(); break;
      case EditCommand::redo: field->redo(); break;
      case EditCommand::cut: field->cut(); break;
      case EditCommand::copy: field->copy(); break;
      case EditCommand::paste: field->paste(); break;
      case EditCommand::clear: field->del(); break;
      case EditCommand::selectAll: field->selectAll(); break;
    }
  });
}
