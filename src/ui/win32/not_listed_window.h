// The files a scan left out, on Win32: the note in the main dialog's corner,
// an owner-drawn button that reads like a link, and the small window it opens,
// a report list view of name and reason over the application layer's
// NotListedTable, sorted by a click on a column's title and copied with Ctrl+C
// or its Copy button. The window is modal to the dialog that opens it.
#pragma once

#include <functional>
#include <vector>

#include "app/not_listed_files.h"
#include "base/string_table.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// Draws the corner note (WM_DRAWITEM): its text plain and underlined in the
// link colour, grey while disabled, with the focus rectangle when it has the
// focus. `font` is the underlined dialog font.
void DrawNoteLink(const DRAWITEMSTRUCT& item, HFONT font);

// Puts `text` on the clipboard as Unicode text; false when the clipboard
// cannot be had.
bool CopyTextToClipboard(HWND owner, std::string_view text);

class NotListedWindow {
 public:
  // The window's list view and its buttons.
  static constexpr int kIdList = 100;
  static constexpr int kIdCopy = 101;

  NotListedWindow(NotListedTable table, const StringTable& strings, Win32MessageLoop& loop);
  ~NotListedWindow();
  NotListedWindow(const NotListedWindow&) = delete;
  NotListedWindow& operator=(const NotListedWindow&) = delete;

  // Creates the window over `owner` in `font` and shows it; the owner is
  // disabled until the window goes. `closed` runs once the window is gone; it
  // must not delete this.
  bool Create(HWND owner, HFONT font, std::function<void()> closed);
  bool IsOpen() const { return m_hWnd != nullptr; }
  HWND GetSafeHwnd() const { return m_hWnd; }
  HWND ListView() const { return GetDlgItem(m_hWnd, kIdList); }
  const NotListedTable& Table() const { return m_table; }

  // A click on the title of `column`: the table's order, its arrow, the rows.
  void OnColumnClick(int column);
  // Puts the selected rows (every row when none is selected) on the clipboard.
  void CopySelection();
  // The rows selected in the list view, in display order.
  std::vector<int> SelectedRows() const;
  // Esc, Close and the close box.
  void Close();
  // Destroys the window at once (at shutdown).
  void Destroy();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void FillRows();
  void ShowSortArrow();
  void Layout();

  NotListedTable m_table;
  const StringTable& m_strings;
  Win32MessageLoop& m_loop;
  HWND m_hWnd = nullptr;
  HWND m_hOwner = nullptr;
  HFONT m_hFont = nullptr;
  std::function<void()> m_closed;
};

}  // namespace rqx340
