// The window toolbox on Qt widgets.
#include "platform/qt/qt_toolbox.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QAbstractSpinBox>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QTextEdit>
#include <QFontDatabase>
#include <QTextCursor>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QSlider>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <csignal>
#include <map>
#include <memory>

#include "platform/qt/qt_widgets.h"

namespace {

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
  bool submenu = false;         // attached to an item; never in the menu bar
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

// The program ends by exiting from inside the event loop, with the
// application object still alive: the toolbox's widgets must not be
// destroyed by the static destructors, so its state is never freed.
QtToolbox& tb() {
  static QtToolbox& t = *new QtToolbox;
  return t;
}

ToolboxWindow* findWindow(std::int16_t number) {
  auto it = tb().windows.find(number);
  return it == tb().windows.end() ? nullptr : it->second.get();
}

QtControl* findControl(std::int16_t window, std::int16_t control) {
  ToolboxWindow* w = findWindow(window);
  if (!w) return nullptr;
  auto it = w->controls.find(control);
  return it == w->controls.end() ? nullptr : &it->second;
}

ListView* findList(std::int16_t window, std::int16_t control) {
  QtControl* c = findControl(window, control);
  return c ? dynamic_cast<ListView*>(c->widget) : nullptr;
}

std::int16_t numberOf(QWidget* w) {
  auto* tw = w ? dynamic_cast<ToolboxWindow*>(w->window()) : nullptr;
  return tw ? tw->number() : 0;
}

QWidget* alertParent() {
  ToolboxWindow* w = findWindow(1);
  return w && w->isVisible() ? w : nullptr;
}

ToolboxRect fromQRect(const QRect& r) { return ToolboxRect{r.x(), r.y(), r.width(), r.height()}; }

QString qText(std::string_view s) {
  QString t = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  t.replace(QChar('\r'), QChar('\n'));
  return t;
}

// Menus and buttons take '&' as the mark of a keyboard mnemonic; the
// program's texts ("R&B") mean the character itself.
QString literalText(std::string_view s) { return qText(s).replace(QChar('&'), QStringLiteral("&&")); }

// ---- The loop ----------------------------------------------------------------

void schedulePasses() {
  QtToolbox& t = tb();
  if (!t.passTimer) return;
  const bool busy = t.handlers.needsPasses && t.handlers.needsPasses();
  if (busy && !t.passTimer->isActive())
    t.passTimer->start();
  else if (!busy && t.passTimer->isActive())
    t.passTimer->stop();
}

void runPass() {
  QtToolbox& t = tb();
  if (t.handlers.pass) t.handlers.pass();
  schedulePasses();
}

// A widget that types what it is given (a field, a list cell's editor).
bool takesText(QObject* obj) {
  if (auto* e = qobject_cast<QLineEdit*>(obj)) return !e->isReadOnly();
  if (auto* t = qobject_cast<QPlainTextEdit*>(obj)) return !t->isReadOnly();
  return qobject_cast<QTextEdit*>(obj) || qobject_cast<QAbstractSpinBox*>(obj);
}

// A click on the groove puts the thumb there (and starts a drag), instead of
// stepping a page toward it.
QStyle* positionSliderStyle() {
  class Style : public QProxyStyle {
   public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
      if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
      return QProxyStyle::styleHint(hint, option, widget, ret);
    }
  };
  static Style* style = [] {
    auto* st = new Style;
    st->setParent(QCoreApplication::instance());
    return st;
  }();
  return style;
}

// Key presses reach the program's event handler before their widget.
class KeyFilter : public QObject {
 public:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (ToolboxWindow::blockedBySheet(obj, e)) return true;
    if (e->type() == QEvent::KeyPress && obj == QApplication::focusWidget() && tb().handlers.event) {
      auto* key = static_cast<QKeyEvent*>(e);
      ToolboxEvent ev;
      ev.what = kKeyDownEvent;
      ev.window = numberOf(static_cast<QWidget*>(obj));
      if (key->key() == Qt::Key_Return)
        ev.keyCode = kReturnKeyCode;
      else if (key->key() == Qt::Key_Enter)
        ev.keyCode = kEnterKeyCode;
      else if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && !takesText(obj))
        ev.keyCode = kSpaceKeyCode;
      tb().handlers.event(ev);
      schedulePasses();
      return ev.handled;
    }
    return false;
  }
};

int gSignalPipe[2] = {-1, -1};

void onSignal(int) {
  const char b = 1;
  [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &b, 1);
}

void hookLoop() {
  QtToolbox& t = tb();
  if (t.loopHooked || !QCoreApplication::instance()) return;
  t.loopHooked = true;
  t.passTimer = std::make_unique<QTimer>();
  t.passTimer->setInterval(33);  // 2 ticks
  QObject::connect(t.passTimer.get(), &QTimer::timeout, [] { runPass(); });
  if (auto* d = QAbstractEventDispatcher::instance())
    QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, t.passTimer.get(), [] { runPass(); });
  t.keyFilter = std::make_unique<KeyFilter>();
  QCoreApplication::instance()->installEventFilter(t.keyFilter.get());
}

// SIGTERM, SIGINT and the end of the desktop session quit the way the Quit
// command does, through the program's command handler.
void hookQuitSignals() {
  QtToolbox& t = tb();
  if (t.signalNotifier) return;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
  t.signalNotifier = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
  QObject::connect(t.signalNotifier.get(), &QSocketNotifier::activated, [] {
    char b;
    [[maybe_unused]] const ssize_t n = ::read(gSignalPipe[0], &b, 1);
    if (tb().handlers.command) tb().handlers.command(kQuitNowCommand);
    QCoreApplication::quit();
  });
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QObject::connect(app, &QGuiApplication::commitDataRequest, [](QSessionManager&) {
      if (tb().handlers.command) tb().handlers.command(kQuitNowCommand);
    });
  }
}

// ---- Menus ---------------------------------------------------------------------

constexpr std::int16_t kFileMenu = 1;
constexpr std::int16_t kApplicationMenu = 254;

void ensureMenu(std::int16_t id, std::string_view title);

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

void ensureDefaultMenus() {
  ensureMenu(kFileMenu, "File");
  ensureMenu(kApplicationMenu, "Help");
}

QAction* menuItem(std::int16_t menu, std::int16_t item) {
  auto it = tb().menus.find(menu);
  if (it == tb().menus.end() || item < 1 || static_cast<std::size_t>(item) > it->second.items.size()) return nullptr;
  return it->second.items[static_cast<std::size_t>(item - 1)].action;
}

}  // namespace

// ---- Public helpers ------------------------------------------------------------------

QWidget* qtToolboxWindow(std::int16_t window) { return findWindow(window); }

QWidget* qtToolboxControl(std::int16_t window, std::int16_t control) {
  QtControl* c = findControl(window, control);
  return c ? c->widget : nullptr;
}

void qtToolboxSetAlertResponder(std::function<bool(std::string_view)> responder) {
  tb().alertResponder = std::move(responder);
}

// ---- Alerts --------------------------------------------------------------------------

void SysBeep() { QApplication::beep(); }

namespace {
bool runAlert(QMessageBox::Icon icon, std::string_view title, std::string_view message, std::string_view button,
              bool withCancel) {
  if (tb().alertResponder) return tb().alertResponder(title);
  QMessageBox box(alertParent());
  box.setIcon(icon);
  box.setWindowTitle(QStringLiteral("Lumaroll"));
  box.setText(QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())).toHtmlEscaped()));
  box.setInformativeText(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
  QPushButton* ok =
      box.addButton(QString::fromUtf8(button.data(), static_cast<qsizetype>(button.size())), QMessageBox::AcceptRole);
  if (withCancel) box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(withCancel ? ok : nullptr);
  box.exec();
  return box.clickedButton() == ok;
}
}  // namespace

bool CationAlert(std::string_view title, std::string_view message, std::string_view button) {
  return runAlert(QMessageBox::Warning, title, message, button, true);
}

void myStopAlert(std::string_view title, std::string_view message, std::string_view button) {
  runAlert(QMessageBox::Critical, title, message, button, false);
}

// ---- Screens and windows -----------------------------------------------------------------

ToolboxRect toolboxMainScreenRect() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? fromQRect(s->geometry()) : ToolboxRect{0, 0, 1440, 900};
}

std::vector<ToolboxRect> toolboxScreenRects() {
  std::vector<ToolboxRect> r;
  if (QScreen* p = QGuiApplication::primaryScreen()) r.push_back(fromQRect(p->geometry()));
  for (QScreen* s : QGuiApplication::screens())
    if (s != QGuiApplication::primaryScreen()) r.push_back(fromQRect(s->geometry()));
  return r;
}

bool toolboxGetWindowContentRect(std::int16_t window, ToolboxRect& rect) {
  ToolboxWindow* w = findWindow(window);
  if (!w) return false;
  rect = w->contentRect();
  return true;
}

bool windowExists(std::int16_t window) { return findWindow(window) != nullptr; }

void toolboxCreateWindow(const WindowDesc& desc) {
  hookLoop();
  ensureDefaultMenus();
  ToolboxWindow* owner =
      desc.kind == WindowKind::sheet || desc.kind == WindowKind::modal ? findWindow(1) : nullptr;
  WindowPtr w(new ToolboxWindow(desc, owner));
  tb().windows[desc.number] = std::move(w);  // any earlier window of that number goes
  ToolboxWindow* win = findWindow(desc.number);
  if (desc.number == 1) installMenuBar();
  win->applyMinimumSize();
  win->setContentRect(desc.content);
}

void toolboxShowWindow(std::int16_t window) {
  if (ToolboxWindow* w = findWindow(window)) {
    w->show();
    if (w->desc().kind != WindowKind::overlay) {
      w->raise();
      w->activateWindow();
    }
  }
}

void toolboxSelectWindow(std::int16_t window) {
  if (ToolboxWindow* w = findWindow(window)) {
    w->show();
    w->raise();
    w->activateWindow();
  }
}

void toolboxCloseWindow(std::int16_t window) { tb().windows.erase(window); }

void toolboxSetWindowContentRect(std::int16_t window, const ToolboxRect& rect) {
  if (ToolboxWindow* w = findWindow(window)) w->setContentRect(rect);
}

std::int16_t toolboxActiveWindow() { return numberOf(QApplication::activeWindow()); }

void toolboxSetWindowOpacity(std::int16_t window, double opacity) {
  if (ToolboxWindow* w = findWindow(window)) w->setWindowOpacity(opacity);
}

// ---- Controls ------------------------------------------------------------------------------

namespace {
QFont controlFont(const ControlDesc& d) {
  QFont f = QApplication::font();
  f.setPixelSize(d.fontSize > 0 ? d.fontSize : 11);
  f.setBold(d.bold);
  return f;
}

Qt::Alignment alignmentOf(TextAlign a) {
  switch (a) {
    case TextAlign::centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case TextAlign::right: return Qt::AlignRight | Qt::AlignVCenter;
    case TextAlign::left:
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

// A one-line text longer than its frame keeps its font and ends in an
// ellipsis; the whole text is the label's tooltip.
void fitLabelText(QLabel* l, const ControlDesc& d) {
  const QString whole = qText(d.text);
  if (l->wordWrap()) {
    l->setText(whole);
    return;
  }
  const QString shown = l->fontMetrics().elidedText(whole, Qt::ElideRight, d.frame.width);
  l->setText(shown);
  if (d.helpTag.empty()) l->setToolTip(shown == whole ? QString() : whole);
}

void clicked(std::int16_t window, std::int16_t control) {
  if (tb().handlers.dialog) tb().handlers.dialog(kControlClicked, window, control);
  schedulePasses();
}

QWidget* makeWidget(const ControlDesc& d, QWidget* parent) {
  const std::int16_t window = d.window, control = d.control;
  switch (d.kind) {
    case ControlKind::staticText: {
      auto* l = new QLabel(parent);
      l->setTextFormat(Qt::PlainText);
      l->setFont(controlFont(d));
      l->setAlignment(alignmentOf(d.align));
      // A frame about two lines high wraps its text rather than cut it.
      l->setWordWrap(d.frame.height * 10 >= 18 * QFontMetrics(l->font()).height());
      fitLabelText(l, d);
      return l;
    }
    case ControlKind::searchField: {
      auto* e = new QLineEdit(parent);
      e->setClearButtonEnabled(true);
      e->setPlaceholderText(QObject::tr("Search"));
      e->setText(qText(d.text));
      return e;
    }
    case ControlKind::editText: {
      auto* e = new QLineEdit(parent);
      e->setFont(controlFont(d));
      e->setText(qText(d.text));
      return e;
    }
    case ControlKind::textView: {
      auto* t = new QPlainTextEdit(parent);
      t->setReadOnly(true);
      t->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
      t->setPlainText(qText(d.text));
      return t;
    }
    case ControlKind::iconButton: {
      auto* b = new QToolButton(parent);
      b->setAutoRaise(true);
      b->setIcon(drawnIcon(d.icon));
      b->setIconSize(QSize(d.frame.width, d.frame.height));
      b->setFocusPolicy(Qt::NoFocus);
      QObject::connect(b, &QToolButton::clicked, [window, control] { clicked(window, control); });
      return b;
    }
    case ControlKind::slider: {
      auto* s = new QSlider(Qt::Horizontal, parent);
      s->setRange(d.minimum, d.maximum);
      s->setValue(d.value);
      s->setFocusPolicy(Qt::NoFocus);
      QObject::connect(s, &QSlider::valueChanged, [window, control](int v) {
        if (tb().handlers.controlAction) tb().handlers.controlAction(window, control, v);
      });
      return s;
    }
    case ControlKind::positionSlider: {
      auto* s = new QSlider(Qt::Horizontal, parent);
      s->setStyle(positionSliderStyle());
      s->setRange(d.minimum, d.maximum);
      s->setValue(d.value);
      if (d.step > 0) {
        s->setSingleStep(d.step);
        s->setPageStep(d.step);
      }
      s->setFocusPolicy(Qt::StrongFocus);
      auto report = [window, control](int v) {
        if (tb().handlers.controlAction) tb().handlers.controlAction(window, control, v);
      };
      // A drag reports where it was let go; a key or a click on the groove
      // reports at once. The value the program sets reports nothing.
      QObject::connect(s, &QAbstractSlider::actionTriggered, [s, report](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
          report(s->sliderPosition());
      });
      QObject::connect(s, &QAbstractSlider::sliderReleased, [s, report] { report(s->value()); });
      return s;
    }
    case ControlKind::bevelButton: {
      auto* b = new QPushButton(literalText(d.text), parent);
      b->setDefault(d.returnKey);
      QObject::connect(b, &QPushButton::clicked, [window, control] { clicked(window, control); });
      return b;
    }
    case ControlKind::progressBar: {
      auto* p = new QProgressBar(parent);
      p->setRange(d.minimum, d.maximum);
      p->setValue(d.value);
      p->setTextVisible(false);
      return p;
    }
    case ControlKind::well: {
      auto* f = new QFrame(parent);
      f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      return f;
    }
    case ControlKind::displayPanel: {
      auto* w = new DisplayWidget(parent);
      w->setAttribute(Qt::WA_TransparentForMouseEvents);
      return w;
    }
    case ControlKind::bigNotice:
      return new NoticeWidget(parent);
    case ControlKind::radioButton: {
      // The program selects and deselects the buttons of a group itself.
      auto* r = new QRadioButton(literalText(d.text), parent);
      r->setAutoExclusive(false);
      r->setChecked(d.value != 0);
      r->setFont(controlFont(d));
      QObject::connect(r, &QRadioButton::clicked, [window, control] { clicked(window, control); });
      return r;
    }
  }
  return nullptr;
}

void addControlWidget(ToolboxWindow* w, const ControlDesc& d, QWidget* widget) {
  auto old = w->controls.find(d.control);
  if (old != w->controls.end()) {
    std::unique_ptr<QWidget, DeleteLater> gone(old->second.widget);
    w->controls.erase(old);
  }
  QtControl c;
  c.desc = d;
  c.widget = widget;
  c.builtFor = QSize(w->desc().content.width, w->desc().content.height);
  if (!d.helpTag.empty()) widget->setToolTip(qText(d.helpTag));
  QtControl& placed = w->controls[d.control] = c;
  w->placeControl(placed);
  if (d.kind == ControlKind::displayPanel) widget->lower();
  widget->show();
}
}  // namespace

void toolboxCreateControl(const ControlDesc& desc) {
  ToolboxWindow* w = findWindow(desc.window);
  if (!w) return;
  if (QWidget* widget = makeWidget(desc, w->content())) addControlWidget(w, desc, widget);
}

void setControlText(std::int16_t window, std::int16_t control, std::string_view text) {
  QtControl* c = findControl(window, control);
  if (!c) return;
  c->desc.text = std::string(text);
  if (auto* l = qobject_cast<QLabel*>(c->widget)) {
    fitLabelText(l, c->desc);
  } else if (auto* e = qobject_cast<QLineEdit*>(c->widget))
    e->setText(qText(text));
  else if (auto* b = qobject_cast<QPushButton*>(c->widget))
    b->setText(literalText(text));
  else if (auto* r = qobject_cast<QRadioButton*>(c->widget))
    r->setText(literalText(text));
  else if (auto* t = qobject_cast<QPlainTextEdit*>(c->widget)) {
    t->setPlainText(qText(text));
    t->moveCursor(QTextCursor::End);
  }
}

void setControlValue(std::int16_t window, std::int16_t control, std::int32_t value) {
  QtControl* c = findControl(window, control);
  if (!c) return;
  c->desc.value = value;
  // A value set by the program is not the user's action.
  if (auto* s = qobject_cast<QSlider*>(c->widget)) {
    QSignalBlocker block(s);
    if (!s->isSliderDown()) s->setValue(value);  // the user's drag wins
  } else if (auto* p = qobject_cast<QProgressBar*>(c->widget)) {
    p->setValue(value);
  } else if (auto* r = qobject_cast<QRadioButton*>(c->widget)) {
    QSignalBlocker block(r);
    r->setChecked(value != 0);
  }
}

void setControlMaximum(std::int16_t window, std::int16_t control, std::int32_t maximum) {
  QtControl* c = findControl(window, control);
  if (!c) return;
  c->desc.maximum = maximum;
  if (auto* s = qobject_cast<QSlider*>(c->widget)) {
    QSignalBlocker block(s);
    s->setMaximum(maximum);
  }
}

void setControlEnabled(std::int16_t window, std::int16_t control, bool enabled) {
  if (QtControl* c = findControl(window, control)) c->widget->setEnabled(enabled);
}

void setControlFrame(std::int16_t window, std::int16_t control, const ToolboxRect& frame) {
  ToolboxWindow* w = findWindow(window);
  QtControl* c = findControl(window, control);
  if (!w || !c) return;
  c->desc.frame = frame;
  c->builtFor = QSize(w->width(), w->height() - w->menuBarHeight());
  w->placeControl(*c);
  if (auto* l = qobject_cast<QLabel*>(c->widget)) fitLabelText(l, c->desc);
}

void setControlIcon(std::int16_t window, std::int16_t control, std::string_view icon) {
  QtControl* c = findControl(window, control);
  if (!c) return;
  c->desc.icon = std::string(icon);
  if (auto* b = qobject_cast<QToolButton*>(c->widget)) b->setIcon(drawnIcon(icon));
}

bool toolboxHasIcon(std::string_view icon) { return !drawnIcon(icon).isNull(); }

std::string getControlText(std::int16_t window, std::int16_t control) {
  QtControl* c = findControl(window, control);
  if (!c) return {};
  if (auto* e = qobject_cast<QLineEdit*>(c->widget)) return e->text().toStdString();
  return c->desc.text;
}

std::int32_t getControlValue(std::int16_t window, std::int16_t control) {
  QtControl* c = findControl(window, control);
  if (!c) return 0;
  if (auto* s = qobject_cast<QSlider*>(c->widget)) return s->value();
  if (auto* r = qobject_cast<QRadioButton*>(c->widget)) return r->isChecked() ? 1 : 0;
  return c->desc.value;
}

bool controlExists(std::int16_t window, std::int16_t control) { return findControl(window, control) != nullptr; }

void toolboxSetKeyboardFocus(std::int16_t window, std::int16_t control) {
  if (QtControl* c = findControl(window, control)) c->widget->setFocus(Qt::OtherFocusReason);
}

std::int16_t toolboxKeyboardFocus(std::int16_t window) {
  ToolboxWindow* w = findWindow(window);
  if (!w) return 0;
  QWidget* f = w->focusWidget();
  for (auto& [id, c] : w->controls)
    if (f && (c.widget == f || c.widget->isAncestorOf(f))) return id;
  return 0;
}

void toolboxInvalidateControl(std::int16_t window, std::int16_t control) {
  QtControl* c = findControl(window, control);
  if (!c) return;
  if (auto* v = qobject_cast<QAbstractItemView*>(c->widget))
    v->viewport()->update();
  else
    c->widget->update();
}

void toolboxSetDisplayPanel(std::int16_t window, std::int16_t control, const DisplayPanel& panel) {
  QtControl* c = findControl(window, control);
  if (auto* d = c ? dynamic_cast<DisplayWidget*>(c->widget) : nullptr) {
    d->panel = panel;
    d->update();
  }
}

void toolboxSetNoticePanel(std::int16_t window, std::int16_t control, const NoticePanel& panel) {
  QtControl* c = findControl(window, control);
  if (auto* n = c ? dynamic_cast<NoticeWidget*>(c->widget) : nullptr) {
    n->panel = panel;
    n->update();
    // The window shows only the panel: what lies outside it is cut away.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(panel.outer.left, panel.outer.top, panel.outer.width, panel.outer.height),
                           panel.cornerRadius, panel.cornerRadius);
    n->window()->setMask(QRegion(outline.toFillPolygon().toPolygon()).translated(n->mapTo(n->window(), QPoint())));
  }
}

// ---- List view ---------------------------------------------------------------------------

void listViewCreate(std::int16_t window, std::int16_t control, const ToolboxRect& frame, std::uint8_t binding,
                    std::span<const ListColumnDesc> columns, std::int32_t rowHeight, ListViewCallbacks* callbacks) {
  ToolboxWindow* w = findWindow(window);
  if (!w) return;
  auto* list = new ListView(std::vector<ListColumnDesc>(columns.begin(), columns.end()), rowHeight, callbacks,
                            w->content());
  ControlDesc d;
  d.window = window;
  d.control = control;
  d.frame = frame;
  d.binding = binding;
  addControlWidget(w, d, list);
}

void listViewAddRows(std::int16_t window, std::int16_t control, std::span<const std::int32_t> rows) {
  if (ListView* l = findList(window, control)) {
    l->endEditing();
    l->adapter()->addRows(std::vector<std::int32_t>(rows.begin(), rows.end()));
  }
}

void listViewRemoveRow(std::int16_t window, std::int16_t control, std::int32_t row) {
  if (ListView* l = findList(window, control)) {
    l->endEditing();
    l->adapter()->removeRowID(row);
  }
}

void listViewRemoveAll(std::int16_t window, std::int16_t control) {
  if (ListView* l = findList(window, control)) {
    l->endEditing();
    l->adapter()->removeAllRows();
  }
}

void listViewEndEditing(std::int16_t window, std::int16_t control) {
  if (ListView* l = findList(window, control)) l->endEditing();
}

void listViewSetSortColumn(std::int16_t window, std::int16_t control, ListColumnKey key) {
  ListView* l = findList(window, control);
  if (!l) return;
  l->endEditing();
  const int c = l->adapter()->columnOf(key);
  if (c < 0) return;
  // The view sorts its model when the indicator changes; setting the same
  // indicator again sorts anew.
  if (l->header()->sortIndicatorSection() == c && l->header()->sortIndicatorOrder() == Qt::AscendingOrder)
    l->adapter()->sort(c, Qt::AscendingOrder);
  else
    l->header()->setSortIndicator(c, Qt::AscendingOrder);
}

void listViewSetColumnWidth(std::int16_t window, std::int16_t control, ListColumnKey key, std::int32_t width) {
  ListView* l = findList(window, control);
  if (!l) return;
  const int c = l->adapter()->columnOf(key);
  if (c >= 0) l->header()->resizeSection(c, width);
  l->fitColumnsLater();
}

void listViewSelectRow(std::int16_t window, std::int16_t control, std::int32_t row) {
  ListView* l = findList(window, control);
  if (!l) return;
  const int r = l->adapter()->rowOf(row);
  QSignalBlocker block(l->selectionModel());  // the program's own choice is no click
  if (r < 0) {
    l->selectionModel()->clear();
  } else {
    const QModelIndex i = l->adapter()->index(r, 0);
    l->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  l->viewport()->update();
}

void listViewScrollToTop(std::int16_t window, std::int16_t control) {
  if (ListView* l = findList(window, control)) {
    l->scrollToTop();
    l->horizontalScrollBar()->setValue(0);
  }
}

void listViewReveal(std::int16_t window, std::int16_t control, std::int32_t row, ListColumnKey key) {
  ListView* l = findList(window, control);
  if (!l) return;
  const int r = l->adapter()->rowOf(row), c = l->adapter()->columnOf(key);
  if (r >= 0) l->scrollTo(l->adapter()->index(r, c < 0 ? 0 : c));
}

std::vector<std::int32_t> listViewShownRows(std::int16_t window, std::int16_t control) {
  ListView* l = findList(window, control);
  return l ? l->adapter()->rows() : std::vector<std::int32_t>{};
}

// ---- Menus -----------------------------------------------------------------------------------

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
  if (shortcut) a->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(QChar(shortcut).toUpper().unicode()))));
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

// ---- Folders, opener -----------------------------------------------------------------------------

bool toolboxChooseFolder(std::string_view prompt, std::string& path) {
  const QString dir = QFileDialog::getExistingDirectory(alertParent(), qText(prompt), QDir::homePath());
  if (dir.isEmpty()) return false;
  path = QFile::encodeName(dir).toStdString();
  if (path.empty() || path.back() != '/') path += '/';
  return true;
}

void toolboxOpenURL(std::string_view url) { QDesktopServices::openUrl(QUrl(qText(url))); }

std::int32_t toolboxRevealFile(std::string_view path, void (*failed)()) {
  const QString file = QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                     "org.freedesktop.FileManager1", "ShowItems");
  call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
  if (reply.type() == QDBusMessage::ReplyMessage) return 0;
  // No file manager answers: the desktop's opener opens the folder that holds
  // the file. It is watched rather than started blind, because an opener
  // with nothing to hand the folder to only says so on its standard error.
  const QString folder = QFileInfo(file).absolutePath();
  QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  QStringList args{folder};
  if (opener.isEmpty()) {
    opener = QStandardPaths::findExecutable(QStringLiteral("gio"));
    args = QStringList{QStringLiteral("open"), folder};
  }
  if (opener.isEmpty()) return -1;
  auto* process = new QProcess(QCoreApplication::instance());
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
    process->deleteLater();
    if ((code != 0 || status != QProcess::NormalExit) && failed) failed();
  });
  process->start(opener, args);
  if (!process->waitForStarted(3000)) {
    delete process;
    return -1;
  }
  return 0;
}

// ---- Events and the loop --------------------------------------------------------------------------

void toolboxInstallHandlers(const ToolboxHandlers& handlers) {
  tb().handlers = handlers;
  hookLoop();
  schedulePasses();
}

const ToolboxHandlers& toolboxHandlers() { return tb().handlers; }

int toolboxRunEventLoop() {
  if (!QCoreApplication::instance()) return 1;
  hookLoop();
  hookQuitSignals();
  schedulePasses();
  return QCoreApplication::exec();
}

std::uint32_t TickCount() {
  QtToolbox& t = tb();
  if (!t.clock.isValid()) t.clock.start();
  return static_cast<std::uint32_t>(t.clock.elapsed() * 60 / 1000);
}

void toolboxDelay(std::int32_t milliseconds) {
  if (milliseconds <= 0 || !QCoreApplication::instance()) return;
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void toolboxFlush() {}
