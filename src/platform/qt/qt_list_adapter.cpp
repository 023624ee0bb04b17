// The list view on Qt widgets: the table model that asks the program's
// callbacks for every cell, the delegate that paints the custom cells, and
// the tree view that ends edits, fits its columns and hands keys on.
#include "platform/qt/qt_widgets.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

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
    if (callbacks_) callbacks_->loadRows(fresh);
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
  if (callbacks_) callbacks_->allRowsRemoved();
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
