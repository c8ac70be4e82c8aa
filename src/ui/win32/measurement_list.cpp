// The measurement list on the list view control.
#include "ui/win32/measurement_list.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

constexpr UINT_PTR kSubclassId = 1;

// The check value of a list view state: its state image less one, 0 without one.
int CheckValue(UINT state) {
  const int image = static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
  return image > 0 ? image - 1 : 0;
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

CRQX340FileListCtrl::CRQX340FileListCtrl(MeasurementListModel& list, const StringTable& strings)
    : m_list(list), m_strings(strings) {}

CRQX340FileListCtrl::~CRQX340FileListCtrl() {
  m_list.SetObserver(nullptr);
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
    RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
  }
}

void CRQX340FileListCtrl::Attach(HWND list) {
  m_hWnd = list;
  SetWindowSubclass(m_hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  m_list.SetObserver(this);
}

void CRQX340FileListCtrl::InitColumns() {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const auto widths = ColumnWidths(client.right - GetSystemMetrics(SM_CXVSCROLL));
  for (int column = 0; column < kListColumnCount; ++column) {
    std::wstring title = win32::Wide(m_strings.Load(kIdsFirstColumnTitle + column));
    LVCOLUMNW item{};
    item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    item.fmt = LVCFMT_LEFT;
    item.cx = widths[static_cast<std::size_t>(column)];
    item.pszText = title.data();
    item.iSubItem = column;
    SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
  }
  const DWORD styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
  SetSortArrow(m_list.SortColumn());
}

void CRQX340FileListCtrl::ApplyColumnWidths() {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const auto widths = ColumnWidths(client.right - GetSystemMetrics(SM_CXVSCROLL));
  for (int column = 0; column < kListColumnCount; ++column) {
    SendMessageW(m_hWnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 MAKELPARAM(widths[static_cast<std::size_t>(column)], 0));
  }
}

HBITMAP CRQX340FileListCtrl::HeaderBitmap(int column) const {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
  HDITEMW item{};
  item.mask = HDI_BITMAP | HDI_FORMAT;
  if (header == nullptr || !SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                                         reinterpret_cast<LPARAM>(&item))) {
    return nullptr;
  }
  return (item.fmt & HDF_BITMAP) != 0 ? item.hbm : nullptr;
}

void CRQX340FileListCtrl::SetSortArrow(int column) {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
  if (header == nullptr || column < 0 ||
      column >= static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0))) {
    return;
  }
  HDITEMW item{};
  item.mask = HDI_FORMAT | HDI_BITMAP;
  SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  if (item.hbm != nullptr) DeleteObject(item.hbm);
  item.hbm = nullptr;
  item.fmt &= ~(HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
  if (const int bitmap = m_list.ArrowOf(column); bitmap != 0) {
    // Always the program's own arrows; their greys follow the system's 3-D colours.
    item.hbm = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap),
                                               IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (item.hbm != nullptr) item.fmt |= HDF_BITMAP | HDF_BITMAP_ON_RIGHT;
  }
  SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
}

void CRQX340FileListCtrl::SortArrowChanged(int old_column, int new_column) {
  SetSortArrow(new_column);
  if (old_column != new_column) SetSortArrow(old_column);
}

void CRQX340FileListCtrl::SetCheckState(int row, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void CRQX340FileListCtrl::RowsReset() {
  m_bSyncing = true;
  SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0);
  const int rows = m_list.RowCount();
  SendMessageW(m_hWnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.lParam = m_list.RecordOfRow(row);
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(m_list.IsChecked(row) ? 2 : 1);
    SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  // The first row is current, unselected, in view.
  if (rows > 0) {
    LVITEMW focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(m_hWnd, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, 0, FALSE);
  }
  m_bSyncing = false;
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CRQX340FileListCtrl::RowsSorted(std::span<const int>) {
  // The control sorts its items (with their selection, focus and check marks)
  // into the model's new order: each record's row.
  std::vector<int> row_of_record(m_list.Records().size(), 0);
  for (int row = 0; row < m_list.RowCount(); ++row) {
    const std::int32_t record = m_list.RecordOfRow(row);
    if (record >= 0 && static_cast<std::size_t>(record) < row_of_record.size()) {
      row_of_record[static_cast<std::size_t>(record)] = row;
    }
  }
  const auto compare = [](LPARAM record1, LPARAM record2, LPARAM rows) -> int {
    const auto& row_of = *reinterpret_cast<const std::vector<int>*>(rows);
    const auto at = [&](LPARAM record) {
      return record >= 0 && static_cast<std::size_t>(record) < row_of.size()
                 ? row_of[static_cast<std::size_t>(record)]
                 : 0;
    };
    return at(record1) - at(record2);
  };
  m_bSyncing = true;
  SendMessageW(m_hWnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&row_of_record),
               reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(compare)));
  m_bSyncing = false;
  InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CRQX340FileListCtrl::ChecksChanged(std::span<const int> rows) {
  const bool syncing = m_bSyncing;
  m_bSyncing = true;
  for (const int row : rows) SetCheckState(row, m_list.IsChecked(row));
  m_bSyncing = syncing;
}

std::vector<int> CRQX340FileListCtrl::SelectedRows() const {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                              LVNI_SELECTED))) >= 0) {
    rows.push_back(row);
  }
  return rows;
}

int CRQX340FileListCtrl::CurrentRow() const {
  return static_cast<int>(
      SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void CRQX340FileListCtrl::OnItemChanged(int row, bool checked) {
  const std::vector<int> selected = SelectedRows();
  if (m_list.OnItemChanged(row, checked, selected)) {
    if (m_onCheckChanged) m_onCheckChanged();
    return;
  }
  // Refused (the row has that mark already, or a change is under way): the
  // control shows the model's mark again.
  if (row >= 0 && row < m_list.RowCount()) {
    const bool syncing = m_bSyncing;
    m_bSyncing = true;
    SetCheckState(row, m_list.IsChecked(row));
    m_bSyncing = syncing;
  }
}

void CRQX340FileListCtrl::SelectAll() {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendMessageW(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

bool CRQX340FileListCtrl::OnNotify(const NMHDR& header, LRESULT& result) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
      if ((info.item.mask & LVIF_TEXT) != 0 && info.item.pszText != nullptr &&
          info.item.cchTextMax > 0) {
        m_strDispText = win32::Wide(m_list.CellText(info.item.iItem, info.item.iSubItem));
        lstrcpynW(info.item.pszText, m_strDispText.c_str(), info.item.cchTextMax);
      }
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      result = 0;
      if (m_bSyncing || (change.uChanged & LVIF_STATE) == 0) return true;
      if (change.uOldState == 0 && change.uNewState == 0) return true;
      const int old_check = CheckValue(change.uOldState);
      const int new_check = CheckValue(change.uNewState);
      // A selection or focus change, or a row that just got its box.
      if (old_check == new_check || (change.uOldState & LVIS_STATEIMAGEMASK) == 0) return true;
      OnItemChanged(change.iItem, new_check != 0);
      return true;
    }
    case LVN_COLUMNCLICK:
      m_list.OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      result = 0;
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK CRQX340FileListCtrl::SubclassProc(HWND window, UINT message, WPARAM wparam,
                                                   LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<CRQX340FileListCtrl*>(data);
  const bool ctrl = KeyDown(VK_CONTROL);
  const bool plain = !ctrl && !KeyDown(VK_MENU) && !KeyDown(VK_SHIFT);
  switch (message) {
    case WM_KEYDOWN:
      if (wparam == VK_SPACE && plain) {
        // Space toggles the current row, and the selection with it.
        const int row = self->CurrentRow();
        if (row >= 0) self->OnItemChanged(row, !self->m_list.IsChecked(row));
        return 0;
      }
      if (wparam == 'A' && ctrl) {
        self->SelectAll();
        return 0;
      }
      if (wparam == 'P' && ctrl) {
        if (self->m_onPreview) self->m_onPreview(self->CurrentRow());
        return 0;
      }
      break;
    case WM_CHAR:
      // The characters of the keys above start no incremental search.
      if (wparam == L' ' || wparam == 0x01 || wparam == 0x10) return 0;
      break;
    case WM_SIZE: {
      const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
      // Widths the user dragged give way at every resize.
      self->ApplyColumnWidths();
      return result;
    }
    case WM_DESTROY:
      // The header holds the arrows' bitmaps but does not free them.
      for (int column = 0; column < kListColumnCount; ++column) {
        if (const HBITMAP bitmap = self->HeaderBitmap(column)) DeleteObject(bitmap);
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SubclassProc, kSubclassId);
      self->m_hWnd = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace rqx340
