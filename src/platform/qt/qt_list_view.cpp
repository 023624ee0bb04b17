// The Qt toolbox's list view: rows, sorting, selection, column widths.
#include "platform/qt/qt_toolbox.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <span>
#include <vector>

#include "platform/qt/qt_toolbox_state.h"

using namespace qtbox;

void listViewCreate(std::int16_t window, std::int16_t control, const ToolboxRect& frame, std::uint8_t binding,
                    std::span<const ListColumnDesc> columns, std::int32_t rowHeight, ListViewCallbacks* callbacks) {
  ToolboxWindow* w = findWindow(window);
  if (!w) return;
  auto* list =
      new ListView(std::vector<ListColumnDesc>(columns.begin(), columns.end()), rowHeight, callbacks, w->content());
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
