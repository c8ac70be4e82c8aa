// The measurement list on Qt: a tree view in list form over the list model of
// the application layer, through a thin table model; the header draws the
// sort arrows. The view turns clicks and keys into the model's check and sort
// operations and draws what the model holds.
#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPixmap>
#include <QTreeView>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "app/measurement_list_model.h"
#include "base/string_table.h"

namespace rqx340 {

// The rows of a MeasurementListModel as Qt's item views take them: the model's
// changes become this model's signals, emitted here and nowhere else.
class MeasurementTableModel final : public QAbstractTableModel, public MeasurementListObserver {
 public:
  // Becomes `list`'s observer for as long as it lives.
  MeasurementTableModel(MeasurementListModel& list, QObject* parent);
  ~MeasurementTableModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetTitles(std::array<QString, kListColumnCount> titles);

  // MeasurementListObserver
  void RowsAboutToBeReset() override { beginResetModel(); }
  void RowsReset() override { endResetModel(); }
  void RowsAboutToBeSorted() override;
  void RowsSorted(std::span<const int> new_row_of) override;
  void ChecksChanged(std::span<const int> rows) override;
  void SortArrowChanged(int old_column, int new_column) override;

 private:
  MeasurementListModel& m_list;
  std::array<QString, kListColumnCount> m_titles;
};

// The header draws the sort arrow to the right of a column's title, as the
// list model says; Qt's own sort indicator is not used.
class SortArrowHeader final : public QHeaderView {
 public:
  SortArrowHeader(const MeasurementListModel& list, QWidget* parent);
  // The bitmap id a section shows (kIdbSortDown, kIdbSortUp), 0 for none.
  int ArrowOf(int section) const { return m_list.ArrowOf(section); }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

 private:
  const MeasurementListModel& m_list;
  QPixmap m_down;
  QPixmap m_up;
};

class CRQX340FileListCtrl final : public QTreeView {
 public:
  // Shows `list`, which must outlive the view; the column titles come from
  // `strings`.
  CRQX340FileListCtrl(MeasurementListModel& list, const StringTable& strings, QWidget* parent);

  // Titles and widths.
  void InitColumns();

  // Hears once per user action that changed check marks.
  void SetCheckChangedHandler(std::function<void()> handler) {
    m_onCheckChanged = std::move(handler);
  }

  MeasurementListModel& List() { return m_list; }
  MeasurementTableModel& Model() { return m_model; }
  const MeasurementTableModel& Model() const { return m_model; }
  SortArrowHeader& Header() { return m_header; }
  // The check box of `row` in the viewport's coordinates.
  QRect CheckBoxRect(int row) const;
  // A user's change of the check mark of `row`: the whole selection follows
  // when the row is selected.
  void OnItemChanged(int row, bool checked);
  void OnColumnClick(int column) { m_list.OnColumnClick(column); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int UsableWidth() const;
  void ApplyColumnWidths();
  // After a fill: the first row is current, unselected, and in view.
  void OnRowsReset();
  // The row whose check box lies under `pos` (viewport coordinates), or -1.
  int CheckBoxRowAt(const QPoint& pos) const;

  MeasurementListModel& m_list;
  const StringTable& m_strings;
  // A press on a check box: its move and release events are the box's.
  bool m_bCheckBoxPress = false;
  MeasurementTableModel m_model;
  SortArrowHeader m_header;
  std::function<void()> m_onCheckChanged;
};

}  // namespace rqx340
