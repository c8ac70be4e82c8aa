// The measurement list without its control: the record array of the current
// folder, the rows over it (a record index and a check mark each) in display
// order, the sort state, and the text of every cell. A front end's list view
// shows the rows, asks for the texts of the cells it draws, and hands the
// user's header clicks and check-box changes in; the model tells it through
// an observer what changed.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialog_settings.h"
#include "base/progress.h"
#include "measurement/folder_scan.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

inline constexpr int kListColumnCount = 6;
inline constexpr int kRawColumn = 5;
// Each column's share of the usable width, in percent.
inline constexpr std::array<int, kListColumnCount> kColumnShares = {44, 20, 10, 12, 7, 7};
// The sort arrows, pointing down (descending) and up.
inline constexpr int kIdbSortDown = 146;
inline constexpr int kIdbSortUp = 147;

// -1, 0 or 1 as `a` sorts before, with or after `b`, the letters A to Z
// compared without regard to case and every other byte by its value.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text of `column` for `record`: "N/A" for a start of 0, "YES*" for raw
// data announced but missing; `pictures` give the start time its form.
std::string CellText(const CRQX340Json& record, int column, const LocalePictures& pictures);

// The width of each column for `usable` pixels (the list's client width less
// a vertical scroll bar); none is negative.
std::array<int, kListColumnCount> ColumnWidths(int usable);

// What a view of the list hears. The "AboutTo" calls come before a change,
// the others after it; a view that holds no state of its own per row may
// leave all but the last ones alone.
class MeasurementListObserver {
 public:
  virtual ~MeasurementListObserver() = default;
  // Every row replaced (a fill after a scan).
  virtual void RowsAboutToBeReset() {}
  virtual void RowsReset() {}
  // The same rows in another order; the row that stood at r now stands at
  // new_row_of[r]. Selection and focus go with their rows.
  virtual void RowsAboutToBeSorted() {}
  virtual void RowsSorted(std::span<const int> /*new_row_of*/) {}
  // The check marks of `rows` changed.
  virtual void ChecksChanged(std::span<const int> /*rows*/) {}
  // The arrow moves from `old_column` to `new_column` or turns there
  // (ArrowOf gives the bitmap of each column).
  virtual void SortArrowChanged(int /*old_column*/, int /*new_column*/) {}
};

class MeasurementListModel {
 public:
  // The sort state comes from `settings` and goes back there at every header
  // click; without settings it starts at the Name column, descending, and is
  // kept nowhere. A stored column above the last is the last; lower values are
  // taken as they are (a negative one sorts by name and shows no arrow).
  explicit MeasurementListModel(DialogSettings* settings = nullptr);
  MeasurementListModel(const MeasurementListModel&) = delete;
  MeasurementListModel& operator=(const MeasurementListModel&) = delete;

  // Null for none; the observer must outlive the model or be removed.
  void SetObserver(MeasurementListObserver* observer) { m_pObserver = observer; }

  // ---- the records
  const std::vector<CRQX340Json>& Records() const { return m_arrRecords; }
  // Replaces the records with those of `folder` (in byte order of their
  // names, so equal keys keep one order everywhere), then FillList. An empty
  // folder text names no folder, least of all the current directory: it
  // lists nothing.
  void ScanFolder(const std::string& folder, ProgressSink& progress);
  // What the last scan found besides its records.
  const ScanReport& LastScan() const { return m_lastScan; }
  // Replaces the records as they are, then FillList.
  void SetRecords(std::vector<CRQX340Json> records);
  // Rows anew from the records: one unchecked row per record, sorted. The
  // locale's date and time pictures are taken here, once per fill.
  void FillList();

  // ---- the rows, in display order
  int RowCount() const { return static_cast<int>(m_rows.size()); }
  // The record index of `row`; -1 outside the rows.
  std::int32_t RecordOfRow(int row) const;
  // The record of `row`; null outside the rows or for a record that is gone.
  const CRQX340Json* RecordAt(int row) const;
  bool IsChecked(int row) const;
  // The text of a cell; empty outside the rows and columns.
  std::string CellText(int row, int column) const;
  // The record indices of the checked rows, in display order: what the
  // dialog's buttons and the import go by.
  std::vector<std::int32_t> GetCheckedIndices() const;

  // ---- check marks
  // The user set the check mark of `row` to `checked` (a click on its box, or
  // Space on the current row). When `row` is one of `selected_rows`, every row
  // of the selection takes the mark. False, with nothing changed, when the
  // row has that mark already or lies outside; true once per user action
  // otherwise, which is when the dialog updates its buttons. A call made while
  // an earlier one is still changing marks (from the observer) is ignored.
  bool OnItemChanged(int row, bool checked, std::span<const int> selected_rows = {});

  // ---- sorting
  std::int32_t SortColumn() const { return m_nSortColumn; }
  // 0 descending, anything else ascending.
  std::int32_t SortOrder() const { return m_nSortOrder; }
  // The bitmap the header of `column` shows: kIdbSortDown, kIdbSortUp, or 0.
  int ArrowOf(int column) const;
  // A click on the header of `column`: the sort column again turns the order,
  // another one sorts ascending by it. The rows keep their marks.
  void OnColumnClick(int column);
  // -1, 0 or 1: the order of records `index1` and `index2` under the sort
  // state; 0 when either is not a record.
  int CompareRecords(std::int32_t index1, std::int32_t index2) const;

 private:
  struct Row {
    std::int32_t record;
    bool checked;
  };

  // Stable: rows with equal keys keep their order.
  void SortRows();

  DialogSettings* m_pSettings;
  MeasurementListObserver* m_pObserver = nullptr;
  std::vector<CRQX340Json> m_arrRecords;
  ScanReport m_lastScan;
  std::vector<Row> m_rows;
  LocalePictures m_pictures;
  std::int32_t m_nSortColumn = 0;
  std::int32_t m_nSortOrder = 0;
  bool m_bInCheckChange = false;
};

}  // namespace rqx340
