// The measurement list: one row per measurement file of the current folder, six
// columns whose texts are made from the record array when they are drawn, a
// check box per row, and sorting by a click on a column's header.
#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPixmap>
#include <QTreeView>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/rqx340_app.h"
#include "base/progress.h"
#include "measurement/folder_scan.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

inline constexpr int kListColumnCount = 6;
inline constexpr int kRawColumn = 5;
// Each column's share of the usable width, in percent.
inline constexpr std::array<int, kListColumnCount> kColumnShares = {44, 20, 10, 12, 7, 7};
inline constexpr std::string_view kSortSection = "MeasList";
// The sort arrows, pointing down (descending) and up.
inline constexpr int kIdbSortDown = 146;
inline constexpr int kIdbSortUp = 147;

// -1, 0 or 1 as `a` sorts before, with or after `b`, the letters A to Z
// compared without regard to case and every other byte by its value.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text of `column` for `record`; `pictures` give the start time its form.
std::string CellText(const CRQX340Json& record, int column, const LocalePictures& pictures);

// The rows over the record array: each row is a record index and a check mark.
// Texts are asked for when a cell is drawn; no row keeps one.
class MeasurementListModel final : public QAbstractTableModel {
 public:
  MeasurementListModel(const std::vector<CRQX340Json>& records, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetTitles(std::array<QString, kListColumnCount> titles) { m_titles = std::move(titles); }
  // One unchecked row per record, in record order.
  void Fill();
  // Reorders the rows by `before` (a strict weak order of record indices),
  // keeping the relative order of equal rows, their check marks, and the
  // selection and current row.
  void StableSort(const std::function<bool(std::int32_t, std::int32_t)>& before);

  // The record index of `row`; -1 outside the rows.
  std::int32_t RecordOfRow(int row) const;
  bool IsChecked(int row) const;
  void SetChecked(int row, bool checked);

 private:
  struct Row {
    std::int32_t record;
    bool checked;
  };
  const std::vector<CRQX340Json>& m_records;
  std::vector<Row> m_rows;
  std::array<QString, kListColumnCount> m_titles;
  LocalePictures m_pictures;
};

// The header draws the sort arrow to the right of a column's title; Qt's own
// sort indicator is not used.
class SortArrowHeader final : public QHeaderView {
 public:
  explicit SortArrowHeader(QWidget* parent);
  // The bitmap id a section shows (kIdbSortDown, kIdbSortUp), 0 for none.
  int ArrowOf(int section) const;
  void SetArrow(int section, int bitmap);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

 private:
  std::array<int, kListColumnCount> m_arrows{};
  QPixmap m_down;
  QPixmap m_up;
};

class CRQX340FileListCtrl final : public QTreeView {
 public:
  CRQX340FileListCtrl(CRQX340App& app, QWidget* parent);

  // Titles, widths and the sort state from the settings.
  void InitColumns();
  // Replaces the records with those of `folder` (in byte order of their names),
  // then FillList. An empty folder text lists nothing.
  void ScanFolder(const std::string& folder, ProgressSink& progress);
  // Rows anew from the records, unchecked and sorted; the first row becomes the
  // current row, unselected.
  void FillList();
  // The record indices of the checked rows, in display order.
  std::vector<std::int32_t> GetCheckedIndices() const;
  void OnColumnClick(int column);
  void SetSortArrow(int oldColumn, int newColumn);
  // -1, 0 or 1: the order of records `index1` and `index2` under the sort state.
  int CompareRecords(std::int32_t index1, std::int32_t index2) const;

  // Hears once per user action that changed check marks.
  void SetCheckChangedHandler(std::function<void()> handler) {
    m_onCheckChanged = std::move(handler);
  }

  const std::vector<CRQX340Json>& Records() const { return m_arrRecords; }
  // Replaces the records as a scan would, then FillList.
  void SetRecords(std::vector<CRQX340Json> records);
  MeasurementListModel& Model() { return m_model; }
  const MeasurementListModel& Model() const { return m_model; }
  SortArrowHeader& Header() { return m_header; }
  std::int32_t SortColumn() const { return m_nSortColumn; }
  std::int32_t SortOrder() const { return m_nSortOrder; }
  // The check box of `row` in the viewport's coordinates.
  QRect CheckBoxRect(int row) const;
  // A user's change of the check mark of `row`: the whole selection follows
  // when the row is selected.
  void OnItemChanged(int row, bool checked);

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
  void SortRows();
  // The row whose check box lies under `pos` (viewport coordinates), or -1.
  int CheckBoxRowAt(const QPoint& pos) const;

  CRQX340App& m_app;
  std::vector<CRQX340Json> m_arrRecords;
  std::int32_t m_nSortColumn = 0;
  std::int32_t m_nSortOrder = 0;
  std::string m_strSection{kSortSection};
  bool m_bInCheckChange = false;
  // A press on a check box: its move and release events are the box's.
  bool m_bCheckBoxPress = false;
  MeasurementListModel m_model;
  SortArrowHeader m_header;
  std::function<void()> m_onCheckChanged;
};

}  // namespace rqx340
