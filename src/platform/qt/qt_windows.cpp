// The Qt toolbox's screens, windows and controls.
#include "platform/qt/qt_toolbox.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextCursor>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_toolbox_state.h"

using namespace qtbox;

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
  ToolboxWindow* owner = desc.kind == WindowKind::sheet || desc.kind == WindowKind::modal ? findWindow(1) : nullptr;
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
    case ControlKind::bigNotice: return new NoticeWidget(parent);
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

}  // namespace

void qtbox::addControlWidget(ToolboxWindow* w, const ControlDesc& d, QWidget* widget) {
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
