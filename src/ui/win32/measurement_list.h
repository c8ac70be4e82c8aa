// The measurement list on Win32: the report-view list control 1108 with check
// boxes over the list model of the application layer. The control's rows stand
// in the model's order (item data: the record index), their texts come from the
// model on demand (LPSTR_TEXTCALLBACK), the header shows the sort arrows 146
// and 147 of the program's own resources. Clicks, Space and the header turn
// into the model's check and sort operations.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/measurement_list_model.h"
#include "base/string_table.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

class CRQX340FileListCtrl final : public MeasurementListObserver {
 public:
  CRQX340FileListCtrl(MeasurementListModel& list, const StringTable& strings);
  ~CRQX340FileListCtrl() override;
  CRQX340FileListCtrl(const CRQX340FileListCtrl&) = delete;
  CRQX340FileListCtrl& operator=(const CRQX340FileListCtrl&) = delete;

  // Takes the dialog's control over and becomes the model's observer.
  void Attach(HWND list);
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Titles, widths, check boxes and full-row selection, the sort arrow.
  void InitColumns();

  // Hears once per user action that changed check marks.
  void SetCheckChangedHandler(std::function<void()> handler) {
    m_onCheckChanged = std::move(handler);
  }
  // Hears Ctrl+P with the current row.
  void SetPreviewHandler(std::function<void(int row)> handler) { m_onPreview = std::move(handler); }

  // The list control's notifications (reflected from the dialog's WM_NOTIFY);
  // true when handled, with `result` set.
  bool OnNotify(const NMHDR& header, LRESULT& result);

  // The rows selected, top first; the current (focused) row, or -1.
  std::vector<int> SelectedRows() const;
  int CurrentRow() const;
  // A user's change of the check mark of `row`: the whole selection follows
  // when the row is selected.
  void OnItemChanged(int row, bool checked);
  void SelectAll();
  // The bitmap on the header of `column`, or null.
  HBITMAP HeaderBitmap(int column) const;

  // MeasurementListObserver
  void RowsReset() override;
  void RowsSorted(std::span<const int> new_row_of) override;
  void ChecksChanged(std::span<const int> rows) override;
  void SortArrowChanged(int old_column, int new_column) override;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR data);
  void ApplyColumnWidths();
  void SetSortArrow(int column);
  void SetCheckState(int row, bool checked);

  MeasurementListModel& m_list;
  const StringTable& m_strings;
  HWND m_hWnd = nullptr;
  // The control's own changes (rows inserted, marks copied from the model)
  // are no user's.
  bool m_bSyncing = false;
  std::wstring m_strDispText;
  std::function<void()> m_onCheckChanged;
  std::function<void(int)> m_onPreview;
};

}  // namespace rqx340
