// Every text here is drawn without prefix processing: names are the folder's,
// and an "&" in one is a letter, not a mnemonic.
#include "ui/win32/not_listed_window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_util.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_text.h"

namespace rqx340 {

namespace {

constexpr wchar_t kWindowClass[] = L"rqx340.NotListed";

bool ControlKeyDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

int Luminance(COLORREF colour) {
  return (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
}

// The system's link colour, or Windows' own blue where the theme makes that
// colour hard to read on the dialog (Wine's theme gives a light grey).
COLORREF LinkColour() {
  const COLORREF link = GetSysColor(COLOR_HOTLIGHT);
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  if (std::abs(Luminance(link) - Luminance(face)) >= 96) return link;
  return Luminance(face) >= 128 ? RGB(0x00, 0x66, 0xCC) : RGB(0x99, 0xCC, 0xFF);
}

}  // namespace

void DrawNoteLink(const DRAWITEMSTRUCT& item, HFONT font) {
  const HDC dc = item.hDC;
  RECT rect = item.rcItem;
  FillRect(dc, &rect, GetSysColorBrush(COLOR_3DFACE));
  const std::wstring text = win32::Wide(WindowText(item.hwndItem));
  const HGDIOBJ old_font = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc,
               (item.itemState & ODS_DISABLED) != 0 ? GetSysColor(COLOR_GRAYTEXT) : LinkColour());
  constexpr UINT kFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, kFormat);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT used = rect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &used, kFormat | DT_CALCRECT);
    RECT focus{rect.left, rect.top, std::min(used.right + 1, rect.right), rect.bottom};
    DrawFocusRect(dc, &focus);
  }
  SelectObject(dc, old_font);
}

bool CopyTextToClipboard(HWND owner, std::string_view text) {
  const std::wstring wide = win32::Wide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool copied = false;
  if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* data = GlobalLock(memory)) {
      std::memcpy(data, wide.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!copied) GlobalFree(memory);
  }
  CloseClipboard();
  return copied;
}

NotListedWindow::NotListedWindow(NotListedTable table, const StringTable& strings,
                                 Win32MessageLoop& loop)
    : m_table(std::move(table)), m_strings(strings), m_loop(loop) {}

NotListedWindow::~NotListedWindow() { Destroy(); }

bool NotListedWindow::Create(HWND owner, HFONT font, std::function<void()> closed) {
  static const ATOM registered = RegisterToolWindowClass(kWindowClass, WindowProc);
  if (registered == 0) return false;
  m_closed = std::move(closed);
  m_hOwner = owner;
  m_hFont = font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  // Wide enough for a name and a reason side by side, centred over the owner.
  const SIZE unit = FontMetrics(owner, m_hFont);
  const int width = unit.cx * 90;
  const int height = unit.cy * 18;
  RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner != nullptr) GetWindowRect(owner, &over);
  m_hWnd =
      CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, win32::Wide(m_table.Caption()).c_str(),
                      WS_OVERLAPPEDWINDOW & ~(WS_MAXIMIZEBOX | WS_MINIMIZEBOX),
                      over.left + ((over.right - over.left) - width) / 2,
                      over.top + ((over.bottom - over.top) - height) / 2, width, height, owner,
                      nullptr, GetModuleHandleW(nullptr), this);
  if (m_hWnd == nullptr) return false;
  CreateControls();
  FillRows();
  Layout();
  m_loop.AddDialog(m_hWnd);
  // Modal to the owner, as a dialog would be, without a loop of its own.
  if (m_hOwner != nullptr) EnableWindow(m_hOwner, FALSE);
  ShowWindow(m_hWnd, SW_SHOW);
  UpdateWindow(m_hWnd);
  SetFocus(ListView());
  return true;
}

void NotListedWindow::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto make = [&](const wchar_t* cls, std::string_view text, DWORD style, int id) {
    const HWND control = CreateWindowExW(
        0, cls, win32::Wide(text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0,
        m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    return control;
  };
  const HWND list = make(WC_LISTVIEWW, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER, kIdList);
  const DWORD styles = LVS_EX_FULLROWSELECT;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
  const SIZE unit = FontMetrics(m_hWnd, m_hFont);
  for (int column = 0; column < kNotListedColumnCount; ++column) {
    std::wstring title = win32::Wide(m_table.ColumnTitle(column));
    LVCOLUMNW item{};
    item.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    item.fmt = LVCFMT_LEFT;
    item.cx = column == 0 ? unit.cx * 36 : unit.cx * 50;
    item.pszText = title.data();
    item.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
  }
  make(WC_BUTTONW, m_strings.Load(kIdsCopy), BS_PUSHBUTTON, kIdCopy);
  make(WC_BUTTONW, m_strings.Load(kIdcClose), BS_PUSHBUTTON, IDCANCEL);
  ShowSortArrow();
}

void NotListedWindow::FillRows() {
  const HWND list = ListView();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (int row = 0; row < m_table.RowCount(); ++row) {
    for (int column = 0; column < kNotListedColumnCount; ++column) {
      std::wstring text = win32::Wide(m_table.CellText(row, column));
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = column;
      item.pszText = text.data();
      SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void NotListedWindow::ShowSortArrow() {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(ListView(), LVM_GETHEADER, 0, 0));
  for (int column = 0; column < kNotListedColumnCount; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == m_table.SortColumn()) item.fmt |= m_table.Ascending() ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
  }
}

void NotListedWindow::Layout() {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const SIZE unit = FontMetrics(m_hWnd, m_hFont);
  const int margin = unit.cx * 3 / 2;
  const int button_height = unit.cy * 7 / 4;
  const HWND copy = GetDlgItem(m_hWnd, kIdCopy);
  const HWND close = GetDlgItem(m_hWnd, IDCANCEL);
  // Each button as wide as its text wants, never narrower than the usual button.
  const auto button_width = [&](HWND button) {
    const std::wstring text = win32::Wide(WindowText(button));
    const HDC dc = GetDC(button);
    const HGDIOBJ old = SelectObject(dc, m_hFont);
    RECT used{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &used, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    return std::max<int>(unit.cx * 12, used.right + unit.cx * 4);
  };
  const int buttons_top = client.bottom - margin - button_height;
  SetWindowPos(copy, nullptr, margin, buttons_top, button_width(copy), button_height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  const int close_width = button_width(close);
  SetWindowPos(close, nullptr, client.right - margin - close_width, buttons_top, close_width,
               button_height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(ListView(), nullptr, margin, margin, std::max<int>(client.right - 2 * margin, 10),
               std::max<int>(buttons_top - margin - margin, 10), SWP_NOZORDER | SWP_NOACTIVATE);
  // The reason takes the room the name leaves.
  SendMessageW(ListView(), LVM_SETCOLUMNWIDTH, kNotListedColumnCount - 1,
               MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
}

void NotListedWindow::OnColumnClick(int column) {
  m_table.OnColumnClick(column);
  ShowSortArrow();
  FillRows();
}

std::vector<int> NotListedWindow::SelectedRows() const {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(ListView(), LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                              LVNI_SELECTED))) >= 0) {
    rows.push_back(row);
  }
  return rows;
}

void NotListedWindow::CopySelection() {
  const std::vector<int> rows = SelectedRows();
  CopyTextToClipboard(m_hWnd, m_table.CopyText(rows, "\r\n"));
}

void NotListedWindow::Close() {
  if (m_hWnd != nullptr) SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void NotListedWindow::Destroy() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

LRESULT CALLBACK NotListedWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = WindowOwner<NotListedWindow>(window, message, lparam);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCCREATE) self->m_hWnd = window;
  return self->OnMessage(message, wparam, lparam);
}

LRESULT NotListedWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      if (ListView() != nullptr) Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE unit = FontMetrics(m_hWnd, m_hFont);
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {unit.cx * 40, unit.cy * 10};
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDCANCEL:
          Close();
          return 0;
        case IDOK:  // Enter closes nothing
          return 0;
        case kIdCopy:
          if (HIWORD(wparam) == BN_CLICKED) CopySelection();
          return 0;
        default:
          break;
      }
      break;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.idFrom != static_cast<UINT_PTR>(kIdList)) break;
      if (header.code == LVN_COLUMNCLICK) {
        OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(lparam)->iSubItem);
        return 0;
      }
      if (header.code == LVN_KEYDOWN && ControlKeyDown()) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lparam)->wVKey;
        if (key == 'C' || key == VK_INSERT) CopySelection();
        if (key == 'A') {
          LVITEMW item{};
          item.stateMask = LVIS_SELECTED;
          item.state = LVIS_SELECTED;
          SendMessageW(ListView(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&item));
        }
      }
      return 0;
    }
    case WM_CLOSE:
      // The owner first, so that it, not another program, is activated.
      if (m_hOwner != nullptr) EnableWindow(m_hOwner, TRUE);
      DestroyWindow(m_hWnd);
      return 0;
    case WM_DESTROY:
      if (m_hOwner != nullptr) EnableWindow(m_hOwner, TRUE);
      m_loop.RemoveDialog(m_hWnd);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
      m_hWnd = nullptr;
      if (m_closed) m_closed();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_hWnd, message, wparam, lparam);
}

}  // namespace rqx340
