// Widgets of the Qt toolbox. Internal to platform/qt.
#pragma once

#include <QAbstractTableModel>
#include <QLabel>
#include <QMainWindow>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <map>
#include <memory>
#include <vector>

#include "platform/toolbox.h"

// Windows and widgets are released through the event loop, so one can be
// closed from inside its own event handlers.
struct DeleteLater {
  void operator()(QObject* o) const;
};

struct QtControl {
  ControlDesc desc;
  QWidget* widget = nullptr;  // owned by the window's content widget
  QSize builtFor;             // content size the frame was given for
};

// Paints the window's background and its top and bottom bands.
class ContentWidget : public QWidget {
 public:
  ContentWidget(const WindowDesc& desc, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  WindowDesc desc_;
};

class ToolboxWindow : public QMainWindow {
 public:
  // A sheet or a modal window belongs to `owner` (the main window).
  ToolboxWindow(const WindowDesc& desc, ToolboxWindow* owner);
  std::int16_t number() const { return desc_.number; }
  const WindowDesc& desc() const { return desc_; }
  QWidget* content() const { return content_; }
  int menuBarHeight() const;
  ToolboxRect contentRect() const;
  void setContentRect(const ToolboxRect& r);
  void applyMinimumSize();
  std::map<std::int16_t, QtControl> controls;
  void placeControl(QtControl& c);
  // The open sheet of this window (nullptr when none).
  ToolboxWindow* openSheet() const;
  // True when a sheet keeps this input event from the widget it is for.
  static bool blockedBySheet(QObject* target, QEvent* e);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void hangSheets();
  void fitFrameOnScreen(bool framed);
  void checkFraming();
  WindowDesc desc_;
  ContentWidget* content_;
  int framingChecks_ = 0;
};

class DisplayWidget : public QWidget {
 public:
  using QWidget::QWidget;
  DisplayPanel panel;

 protected:
  void paintEvent(QPaintEvent*) override;
};

class NoticeWidget : public QWidget {
 public:
  using QWidget::QWidget;
  NoticePanel panel;

 protected:
  void paintEvent(QPaintEvent*) override;
};

// The list's rows as the program names them, in their order on screen.
class ListAdapter : public QAbstractTableModel {
 public:
  ListAdapter(std::vector<ListColumnDesc> columns, ListViewCallbacks* callbacks, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  void sort(int column, Qt::SortOrder order) override;

  void addRows(const std::vector<std::int32_t>& ids);
  void removeRowID(std::int32_t id);
  void removeAllRows();
  int columnOf(ListColumnKey key) const;
  std::int32_t rowID(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  int rowOf(std::int32_t id) const;
  const std::vector<std::int32_t>& rows() const { return rows_; }
  const ListColumnDesc& column(int c) const { return columns_[static_cast<std::size_t>(c)]; }
  ListViewCallbacks* callbacks() const { return callbacks_; }

 private:
  void resort();
  std::vector<ListColumnDesc> columns_;
  ListViewCallbacks* callbacks_;
  std::vector<std::int32_t> rows_;
  std::vector<char> shown_;  // by row ID
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

class ListDelegate : public QStyledItemDelegate {
 public:
  ListDelegate(ListAdapter* model, std::int32_t rowHeight, QObject* parent);
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  ListAdapter* model_;
  std::int32_t rowHeight_;
};

class ListView : public QTreeView {
 public:
  ListView(std::vector<ListColumnDesc> columns, std::int32_t rowHeight, ListViewCallbacks* callbacks, QWidget* parent);
  ListAdapter* adapter() const { return adapter_; }
  // Commits an open cell editor (while its row still has the ID it was
  // opened on) and closes it. A model reset would drop it unsaved, and a
  // removal would commit it only after the program had renumbered its rows.
  void endEditing();

  // Shares the width the fixed columns leave among the stretching ones (on
  // the next pass of the event loop).
  void fitColumnsLater();

 protected:
  bool viewportEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void fitColumns();
  ListAdapter* adapter_;
  bool fitPending_ = false;
};
