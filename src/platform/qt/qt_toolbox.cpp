// The Qt toolbox's state, its event loop and passes, and the quit signals.
#include "platform/qt/qt_toolbox.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTextEdit>
#include <QTimer>
#include <csignal>
#include <functional>
#include <memory>

#include "platform/qt/qt_toolbox_state.h"

namespace qtbox {

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

QString literalText(std::string_view s) { return qText(s).replace(QChar('&'), QStringLiteral("&&")); }

void schedulePasses() {
  QtToolbox& t = tb();
  if (!t.passTimer) return;
  const bool busy = t.handlers.needsPasses && t.handlers.needsPasses();
  if (busy && !t.passTimer->isActive())
    t.passTimer->start();
  else if (!busy && t.passTimer->isActive())
    t.passTimer->stop();
}

}  // namespace qtbox

using namespace qtbox;

namespace {

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

}  // namespace

namespace qtbox {

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

}  // namespace qtbox

namespace {

// SIGTERM, SIGINT and the end of the desktop session quit the way the Quit
// command does, through the program's command handler.
void hookQuitSignals() {
  QtToolbox& t = tb();
  if (t.signalNotifier) return;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
  t.signalNotifier = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
  QObject::connect(t.signalNotifier.get(), &QSocketNotifier::activated, [] {
    char b = 0;
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
