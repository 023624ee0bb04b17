#include "platform/qt/qt_widgets.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
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

// ---- List view ---------------------------------------------------------------

ListAdapter::ListAdapter(std::vector<ListColumnDesc> columns, ListViewCallbacks* callbacks, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)), callbacks_(callbacks) {}

int ListAdapter::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListAdapter::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ListAdapter::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !callbacks_) return {};
  const ListColumnDesc& col = column(index.column());
  const std::int32_t id = rowID(index.row());
  if (col.kind == ListCellKind::text && (role == Qt::DisplayRole || role == Qt::EditRole)) {
    std::string text;
    if (!callbacks_->cellText(id, col.key, text)) return {};
    return QString::fromStdString(text);
  }
  if (col.kind == ListCellKind::checkBox && role == Qt::CheckStateRole) {
    std::int32_t v = 0;
    if (!callbacks_->cellCheck(id, col.key, v)) return {};
    return v ? Qt::Checked : Qt::Unchecked;
  }
  return {};
}

QVariant ListAdapter::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(column(section).title);
  if (role == Qt::InitialSortOrderRole) return Qt::AscendingOrder;
  return {};
}

Qt::ItemFlags ListAdapter::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  const ListColumnDesc& col = column(index.column());
  if (col.kind == ListCellKind::checkBox) f |= Qt::ItemIsUserCheckable;
  if (col.kind == ListCellKind::text && col.editable) f |= Qt::ItemIsEditable;
  return f;
}

bool ListAdapter::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || !callbacks_) return false;
  const ListColumnDesc& col = column(index.column());
  const std::int32_t id = rowID(index.row());
  if (col.kind == ListCellKind::checkBox && role == Qt::CheckStateRole) {
    callbacks_->setCellCheck(id, col.key, value.toInt() == Qt::Checked ? 1 : 0);
  } else if (col.kind == ListCellKind::text && col.editable && role == Qt::EditRole) {
    callbacks_->setCellText(id, col.key, value.toString().toStdString());
    callbacks_->notify(id, ListNotification::editFinished);
  } else {
    return false;
  }
  emit dataChanged(index, index);
  return true;
}

void ListAdapter::sort(int column, Qt::SortOrder order) {
  if (column >= columnCount()) return;
  if (column < 0) {  // no sort column: rows stay in the order they were handed over
    sortColumn_ = -1;
    return;
  }
  sortColumn_ = column;
  sortOrder_ = order;
  resort();
}

// Increasing order by the program's comparison, equal rows keeping their
// order; a decreasing sort is the reverse.
void ListAdapter::resort() {
  if (sortColumn_ < 0 || !callbacks_ || rows_.empty()) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::int32_t> ids;
  ids.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& i : before) ids.push_back(rowID(i.row()));
  const ListColumnKey key = column(sortColumn_).key;
  std::stable_sort(rows_.begin(), rows_.end(),
                   [&](std::int32_t a, std::int32_t b) { return callbacks_->rowBefore(key, a, b); });
  if (sortOrder_ == Qt::DescendingOrder) std::reverse(rows_.begin(), rows_.end());
  if (!before.isEmpty()) {
    std::vector<int> place(shown_.size(), -1);
    for (std::size_t r = 0; r < rows_.size(); ++r) place[static_cast<std::size_t>(rows_[r])] = static_cast<int>(r);
    QModelIndexList after;
    for (qsizetype k = 0; k < before.size(); ++k)
      after.push_back(index(place[static_cast<std::size_t>(ids[static_cast<std::size_t>(k)])], before[k].column()));
    changePersistentIndexList(before, after);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListAdapter::addRows(const std::vector<std::int32_t>& ids) {
  std::vector<std::int32_t> fresh;
  for (std::int32_t id : ids) {
    if (id < 1) continue;
    if (static_cast<std::size_t>(id) >= shown_.size()) shown_.resize(static_cast<std::size_t>(id) + 1, 0);
    if (!shown_[static_cast<std::size_t>(id)]) {
      shown_[static_cast<std::size_t>(id)] = 1;
      fresh.push_back(id);
    }
  }
  if (!fresh.empty()) {
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(fresh.size()) - 1);
    rows_.insert(rows_.end(), fresh.begin(), fresh.end());
    endInsertRows();
  }
  resort();
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void ListAdapter::removeRowID(std::int32_t id) {
  const int r = rowOf(id);
  if (r < 0) return;
  beginRemoveRows({}, r, r);
  rows_.erase(rows_.begin() + r);
  shown_[static_cast<std::size_t>(id)] = 0;
  endRemoveRows();
}

void ListAdapter::removeAllRows() {
  beginResetModel();
  rows_.clear();
  shown_.clear();
  endResetModel();
}

int ListAdapter::columnOf(ListColumnKey key) const {
  for (std::size_t c = 0; c < columns_.size(); ++c)
    if (columns_[c].key == key) return static_cast<int>(c);
  return -1;
}

int ListAdapter::rowOf(std::int32_t id) const {
  if (id < 1 || static_cast<std::size_t>(id) >= shown_.size() || !shown_[static_cast<std::size_t>(id)]) return -1;
  const auto it = std::find(rows_.begin(), rows_.end(), id);
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

namespace {
class PainterContext final : public ListDrawContext {
 public:
  explicit PainterContext(QPainter* p) : p_(p) {}
  void fillCircle(double cx, double cy, double r, double red, double green, double blue, double alpha) override {
    auto unit = [](double v) { return static_cast<float>(std::clamp(v, 0.0, 1.0)); };
    p_->setPen(Qt::NoPen);
    p_->setBrush(QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(alpha)));
    p_->drawEllipse(QPointF(cx, cy), r, r);
  }

 private:
  QPainter* p_;
};
}  // namespace

ListDelegate::ListDelegate(ListAdapter* model, std::int32_t rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), model_(model), rowHeight_(rowHeight) {}

void ListDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyledItemDelegate::paint(p, option, index);
  const ListColumnDesc& col = model_->column(index.column());
  if (col.kind != ListCellKind::custom || !model_->callbacks()) return;
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->setClipRect(option.rect);
  PainterContext ctx(p);
  // The swatch is drawn 2 points below the cell's top; the cell starts 2
  // points above the row so that the swatch sits in the row's middle.
  const QRect r = option.rect;
  model_->callbacks()->drawCell(model_->rowID(index.row()), col.key, ctx, r.x(), r.y() - 2, r.width(), rowHeight_);
  p->restore();
}

QSize ListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize s = QStyledItemDelegate::sizeHint(option, index);
  s.setHeight(rowHeight_);
  return s;
}

ListView::ListView(std::vector<ListColumnDesc> columns, std::int32_t rowHeight, ListViewCallbacks* callbacks,
                   QWidget* parent)
    : QTreeView(parent) {
  adapter_ = new ListAdapter(columns, callbacks, this);
  setModel(adapter_);
  setItemDelegate(new ListDelegate(adapter_, rowHeight, this));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAlternatingRowColors(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  setAllColumnsShowFocus(true);
  setAttribute(Qt::WA_MacShowFocusRect, false);
  QHeaderView* header = this->header();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(20);
  for (std::size_t c = 0; c < columns.size(); ++c) header->resizeSection(static_cast<int>(c), columns[c].width);
  // Keep every column within its limits when the user drags a divider.
  connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    const ListColumnDesc& col = adapter_->column(section);
    const int bounded = std::clamp(size, std::min(col.minWidth, col.maxWidth), col.maxWidth);
    if (bounded != size) this->header()->resizeSection(section, bounded);
  });
  setSortingEnabled(true);
  header->setSortIndicator(-1, Qt::AscendingOrder);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& cur) {
    if (cur.isValid() && adapter_->callbacks())
      adapter_->callbacks()->notify(adapter_->rowID(cur.row()), ListNotification::selected);
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid() && adapter_->callbacks())
      adapter_->callbacks()->notify(adapter_->rowID(i.row()), ListNotification::doubleClicked);
  });
}

void ListView::endEditing() {
  if (state() != QAbstractItemView::EditingState) return;
  // Editors open on the current cell (a click on the selected row, or F2).
  const QModelIndex current = currentIndex();
  QWidget* editor = nullptr;
  for (int c = 0; current.isValid() && c < adapter_->columnCount() && !editor; ++c)
    editor = indexWidget(current.siblingAtColumn(c));
  if (!editor) return;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void ListView::fitColumnsLater() {
  if (fitPending_) return;
  fitPending_ = true;
  QTimer::singleShot(0, this, [this] {
    fitPending_ = false;
    fitColumns();
  });
}

bool ListView::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::Resize) fitColumnsLater();
  return QTreeView::viewportEvent(e);
}

// The stretching columns keep their proportions to one another and together
// take what the others leave of the list's width, each within its limits.
void ListView::fitColumns() {
  QHeaderView* h = header();
  std::vector<int> stretching;
  int fixed = 0;
  double stretchWidth = 0;
  for (int c = 0; c < adapter_->columnCount(); ++c) {
    if (h->isSectionHidden(c)) continue;
    if (adapter_->column(c).stretches) {
      stretching.push_back(c);
      stretchWidth += h->sectionSize(c);
    } else {
      fixed += h->sectionSize(c);
    }
  }
  const int room = viewport()->width() - fixed;
  if (stretching.empty() || stretchWidth <= 0 || room <= 0) return;
  int left = room;
  for (std::size_t k = 0; k < stretching.size(); ++k) {
    const ListColumnDesc& col = adapter_->column(stretching[k]);
    int w = k + 1 == stretching.size()
                ? left
                : static_cast<int>(std::lround(h->sectionSize(stretching[k]) * room / stretchWidth));
    w = std::clamp(w, std::min(col.minWidth, col.maxWidth), col.maxWidth);
    h->resizeSection(stretching[k], w);
    left -= w;
  }
}

// Return on the selected row plays it, as a double-click does.
void ListView::keyPressEvent(QKeyEvent* e) {
  const bool isReturn = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if (isReturn && state() != EditingState && currentIndex().isValid() && adapter_->callbacks()) {
    e->accept();
    adapter_->callbacks()->notify(adapter_->rowID(currentIndex().row()), ListNotification::doubleClicked);
    return;
  }
  QTreeView::keyPressEvent(e);
}
