// Windows and panels on Qt widgets: the content widget, the toolbox window
// with its sheets and frame, the now-playing and notice panels.
#include "platform/qt/qt_widgets.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

#if defined(LUMAROLL_HAVE_XCB)
#include <xcb/xcb.h>
#endif

namespace {
QColor rgb16(const ToolboxRGB& c) { return QColor::fromRgba64(c.red, c.green, c.blue); }
}  // namespace

void DeleteLater::operator()(QObject* o) const {
  if (auto* w = qobject_cast<QWidget*>(o)) w->hide();
  o->deleteLater();
}

// ---- Windows ---------------------------------------------------------------

ContentWidget::ContentWidget(const WindowDesc& desc, QWidget* parent) : QWidget(parent), desc_(desc) {}

void ContentWidget::paintEvent(QPaintEvent*) {
  if (desc_.kind == WindowKind::overlay) return;  // only what its controls draw
  QPainter p(this);
  p.fillRect(rect(), rgb16(desc_.background));
  auto band = [&](int top, int height, bool lineBelow) {
    if (height <= 0) return;
    QLinearGradient g(0, top, 0, top + height);
    g.setColorAt(0, QColor(0xe8, 0xe8, 0xe8));
    g.setColorAt(1, QColor(0xc4, 0xc4, 0xc4));
    p.fillRect(QRect(0, top, width(), height), g);
    p.setPen(QColor(0x99, 0x99, 0x99));
    const int y = lineBelow ? top + height - 1 : top;
    p.drawLine(0, y, width(), y);
  };
  band(0, desc_.topBand, true);
  band(height() - desc_.bottomBand, desc_.bottomBand, false);
  if (desc_.kind == WindowKind::sheet) {  // no frame of its own: an edge against the window behind
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

ToolboxWindow::ToolboxWindow(const WindowDesc& desc, ToolboxWindow* owner)
    : QMainWindow(owner), desc_(desc), content_(new ContentWidget(desc, this)) {
  setCentralWidget(content_);
  setWindowTitle(QString::fromStdString(desc.title));
  switch (desc.kind) {
    case WindowKind::overlay:
      // Drawn opaque and cut to the shape of its panel (see the notice
      // panel), so that it looks the same with or without a compositing
      // manager; only its opacity needs one.
      setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
      setAttribute(Qt::WA_ShowWithoutActivating);
      break;
    case WindowKind::dialog:
      setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
      break;
    case WindowKind::sheet:
      // A transient of its owner, which the window manager keeps above it.
      setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
      break;
    case WindowKind::modal:
      setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
      setWindowModality(Qt::WindowModal);
      break;
    case WindowKind::document: break;
  }
}

ToolboxWindow* ToolboxWindow::openSheet() const {
  for (ToolboxWindow* w : findChildren<ToolboxWindow*>(Qt::FindDirectChildrenOnly))
    if (w->desc_.kind == WindowKind::sheet && w->isVisible()) return w;
  return nullptr;
}

bool ToolboxWindow::blockedBySheet(QObject* target, QEvent* e) {
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu: break;
    default: return false;  // the list still scrolls under a sheet
  }
  auto* w = qobject_cast<QWidget*>(target);
  auto* win = w ? dynamic_cast<ToolboxWindow*>(w->window()) : nullptr;
  if (!win || win->desc_.kind != WindowKind::document) return false;
  ToolboxWindow* sheet = win->openSheet();
  if (!sheet || !(w == win->content_ || win->content_->isAncestorOf(w))) return false;  // menus stay live
  if (e->type() == QEvent::MouseButtonPress) {
    sheet->raise();
    sheet->activateWindow();
  } else if (e->type() == QEvent::KeyPress) {
    // The keyboard belongs to the sheet: Return and Escape press its buttons.
    std::unique_ptr<QEvent> key(e->clone());
    QCoreApplication::sendEvent(sheet->focusWidget() ? sheet->focusWidget() : sheet, key.get());
  }
  return true;
}

void ToolboxWindow::hangSheets() {
  if (ToolboxWindow* sheet = openSheet()) {
    const ToolboxRect c = contentRect();
    sheet->move(c.left + (c.width - sheet->width()) / 2, c.top);
  }
}

namespace {
// The frame the window manager put around a window (its _NET_FRAME_EXTENTS),
// read from the X server: Qt's own idea of it can be taken before the
// window manager has framed the window and then stays stale.
QMargins frameExtents(QWidget* w) {
#if defined(LUMAROLL_HAVE_XCB) && QT_CONFIG(xcb)
  // Only the xcb platform talks to an X server (offscreen answers too, with no connection).
  if (QGuiApplication::platformName() != QLatin1String("xcb") || !w->windowHandle()) return {};
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return {};
  static const xcb_atom_t atom = [c] {
    const char name[] = "_NET_FRAME_EXTENTS";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr), &std::free);
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  }();
  if (atom == XCB_ATOM_NONE) return {};
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(
          c, xcb_get_property(c, 0, static_cast<xcb_window_t>(w->winId()), atom, XCB_ATOM_CARDINAL, 0, 4), nullptr),
      &std::free);
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16) return {};
  const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
#else
  const QRect g = w->geometry(), f = w->frameGeometry();
  return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
#endif
}
}  // namespace

// The whole frame, title bar included, goes on the screen that holds most of
// it (or the primary one). Before the window manager has framed the window
// only the window itself can be fitted; once the frame is known, the frame.
void ToolboxWindow::fitFrameOnScreen(bool framed) {
  const QRect client = geometry();
  const QRect frame = framed ? client.marginsAdded(frameExtents(this)) : client;
  QScreen* best = QGuiApplication::primaryScreen();
  qint64 bestArea = 0;
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect common = s->availableGeometry().intersected(frame);
    const qint64 area = qint64(common.width()) * common.height();
    if (!common.isEmpty() && area > bestArea) {
      best = s;
      bestArea = area;
    }
  }
  if (!best) return;
  const QRect room = best->availableGeometry();
  QRect fitted = frame;
  if (fitted.right() > room.right()) fitted.moveRight(room.right());
  if (fitted.bottom() > room.bottom()) fitted.moveBottom(room.bottom());
  if (fitted.left() < room.left()) fitted.moveLeft(room.left());
  if (fitted.top() < room.top()) fitted.moveTop(room.top());
  if (fitted != frame) setGeometry(client.translated(fitted.topLeft() - frame.topLeft()));
}

void ToolboxWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (desc_.kind == WindowKind::overlay || desc_.kind == WindowKind::sheet || e->spontaneous()) return;
  fitFrameOnScreen(false);
  // The window manager frames the window a moment after it is mapped.
  framingChecks_ = 40;
  QTimer::singleShot(25, this, &ToolboxWindow::checkFraming);
}

void ToolboxWindow::checkFraming() {
  if (!frameExtents(this).isNull())
    fitFrameOnScreen(true);
  else if (--framingChecks_ > 0)
    QTimer::singleShot(25, this, &ToolboxWindow::checkFraming);
}

void ToolboxWindow::keyPressEvent(QKeyEvent* e) {
  const bool isReturn = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  const bool isEscape = e->key() == Qt::Key_Escape;
  if ((isReturn || isEscape) && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    for (auto& [id, c] : controls) {
      auto* b = qobject_cast<QAbstractButton*>(c.widget);
      if (b && b->isEnabled() && b->isVisible() && ((isReturn && c.desc.returnKey) || (isEscape && c.desc.escapeKey))) {
        e->accept();
        b->click();
        return;
      }
    }
  }
  QMainWindow::keyPressEvent(e);
}

void ToolboxWindow::moveEvent(QMoveEvent* e) {
  QMainWindow::moveEvent(e);
  hangSheets();
}

int ToolboxWindow::menuBarHeight() const {
  const QWidget* mb = menuWidget();
  return mb ? mb->sizeHint().height() : 0;
}

ToolboxRect ToolboxWindow::contentRect() const {
  const QRect g = geometry();
  const int mb = menuBarHeight();
  return ToolboxRect{g.x(), g.y() + mb, g.width(), g.height() - mb};
}

void ToolboxWindow::setContentRect(const ToolboxRect& r) {
  const int mb = menuBarHeight();
  setGeometry(r.left, r.top - mb, r.width, r.height + mb);
}

void ToolboxWindow::applyMinimumSize() {
  if (desc_.minWidth > 0 || desc_.minHeight > 0) setMinimumSize(desc_.minWidth, desc_.minHeight + menuBarHeight());
  if (desc_.kind != WindowKind::document) setFixedSize(desc_.content.width, desc_.content.height + menuBarHeight());
}

// A control keeps its distance to each bound edge of the content; bound on
// both sides it stretches.
void ToolboxWindow::placeControl(QtControl& c) {
  if (!c.widget) return;
  const int w = width(), h = height() - menuBarHeight();
  const int dw = w - c.builtFor.width(), dh = h - c.builtFor.height();
  const ToolboxRect f = c.desc.frame;
  const std::uint8_t b = c.desc.binding;
  int x = f.left, y = f.top, cw = f.width, ch = f.height;
  if ((b & kBindLeft) && (b & kBindRight))
    cw += dw;
  else if (b & kBindRight)
    x += dw;
  if ((b & kBindTop) && (b & kBindBottom))
    ch += dh;
  else if (b & kBindBottom)
    y += dh;
  c.widget->setGeometry(x, y, std::max(0, cw), std::max(0, ch));
}

void ToolboxWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  for (auto& [id, c] : controls) placeControl(c);
  hangSheets();
  const ToolboxHandlers& h = toolboxHandlers();
  if (h.boundsChanged) h.boundsChanged(desc_.number);
}

void ToolboxWindow::closeEvent(QCloseEvent* e) {
  // The program decides what a close box does.
  const ToolboxHandlers& h = toolboxHandlers();
  if (h.dialog && desc_.kind != WindowKind::overlay) {
    e->ignore();
    h.dialog(kWindowCloseBox, desc_.number, 0);
    return;
  }
  QMainWindow::closeEvent(e);
}

bool ToolboxWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate) {
    const ToolboxHandlers& h = toolboxHandlers();
    if (h.event) {
      ToolboxEvent ev{kOSEvent, -1, desc_.number};
      h.event(ev);
    }
  }
  return QMainWindow::event(e);
}

// ---- Panels ----------------------------------------------------------------

void DisplayWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  for (const DisplayLayer& l : panel.layers) {
    if (l.width <= 0 || l.height <= 0) continue;
    QPainterPath path;
    path.addRoundedRect(QRectF(l.x, l.top, l.width, l.height), l.radius, l.radius);
    QColor c = QColor::fromRgbF(static_cast<float>(l.grey), static_cast<float>(l.grey), static_cast<float>(l.grey),
                                static_cast<float>(l.opacity));
    p.fillPath(path, c);
  }
  const QRect box(panel.textBox.left, panel.textBox.top, panel.textBox.width, panel.textBox.height);
  if (box.width() <= 0 || box.height() <= 0) return;
  QString text = QString::fromStdString(panel.text);
  text.replace(QChar('\r'), QChar('\n'));
  QFont f = font();
  f.setPixelSize(11);
  p.setFont(f);
  p.setPen(palette().color(QPalette::Active, QPalette::WindowText));
  p.setClipRect(box);
  p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
}

void NoticeWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  auto fill = [&](const ToolboxRect& r, const ToolboxRGB& c) {
    QPainterPath path;
    path.addRoundedRect(QRectF(r.left, r.top, r.width, r.height), panel.cornerRadius, panel.cornerRadius);
    p.fillPath(path, rgb16(c));
  };
  fill(panel.outer, panel.outerColour);
  fill(panel.inner, panel.innerColour);
  QFont f = font();
  f.setPixelSize(panel.fontSize);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::black);
  const QString text = QString::fromStdString(panel.text);
  const int w = QFontMetrics(f).horizontalAdvance(text);
  p.drawText((width() - w) / 2, panel.baseline, text);
}
