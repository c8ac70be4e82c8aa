// The resizing dialog on Win32.
#include "ui/win32/resizing_dialog.h"

#include <algorithm>

namespace rqx340 {

namespace {

constexpr wchar_t kSizeGripClass[] = L"rqx340.SizeGrip";

Rect ToRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

bool IsComboBox(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return lstrcmpiW(name, WC_COMBOBOXW) == 0;
}

}  // namespace

Rect ControlRectInDialog(HWND control, HWND dialog) {
  RECT rect{};
  GetWindowRect(control, &rect);
  if (IsComboBox(control) && (GetWindowLongW(control, GWL_STYLE) & 0x3) != CBS_SIMPLE) {
    RECT dropped{};
    if (SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
      rect.bottom = std::max(rect.bottom, dropped.bottom);
    }
  }
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return ToRect(rect);
}

// ---------------------------------------------------------------------------
// CQWSizeGripWnd

CQWSizeGripWnd::~CQWSizeGripWnd() {
  if (m_hWnd != nullptr) {
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hWnd);
  }
}

bool CQWSizeGripWnd::Create(HWND dialog, UINT id) {
  static const ATOM registered = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_SIZENWSE);
    window_class.lpszClassName = kSizeGripClass;
    return RegisterClassW(&window_class);
  }();
  if (registered == 0) return false;
  m_hWnd = CreateWindowExW(0, kSizeGripClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0,
                           0, dialog, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (m_hWnd == nullptr) return false;
  SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

LRESULT CALLBACK CQWSizeGripWnd::WindowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  auto* grip = reinterpret_cast<CQWSizeGripWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (grip == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return grip->OnMessage(message, wparam, lparam);
}

void CQWSizeGripWnd::ResizeParent(POINT screen_point) {
  SetWindowPos(GetParent(m_hWnd), nullptr, 0, 0,
               m_sizeDragStart.cx + screen_point.x - m_ptDragStart.x,
               m_sizeDragStart.cy + screen_point.y - m_ptDragStart.y, SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT CQWSizeGripWnd::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(m_hWnd, &paint);
      RECT client{};
      GetClientRect(m_hWnd, &client);
      DrawFrameControl(dc, &client, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
      EndPaint(m_hWnd, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
      SetCapture(m_hWnd);
      m_bDragging = true;
      m_ptDragStart = point;
      ClientToScreen(m_hWnd, &m_ptDragStart);
      RECT parent{};
      GetWindowRect(GetParent(m_hWnd), &parent);
      m_sizeDragStart = {parent.right - parent.left, parent.bottom - parent.top};
      return 0;
    }
    case WM_MOUSEMOVE:
      SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
      // A button released where the grip did not hear it ends the drag.
      if (m_bDragging && (wparam & MK_LBUTTON) == 0) {
        m_bDragging = false;
        if (GetCapture() == m_hWnd) ReleaseCapture();
      }
      if (m_bDragging) {
        POINT screen = point;
        ClientToScreen(m_hWnd, &screen);
        ResizeParent(screen);
      }
      return 0;
    case WM_LBUTTONUP:
      if (m_bDragging) {
        POINT screen = point;
        ClientToScreen(m_hWnd, &screen);
        m_bDragging = false;
        if (GetCapture() == m_hWnd) ReleaseCapture();
        ResizeParent(screen);
      }
      return 0;
    default:
      return DefWindowProcW(m_hWnd, message, wparam, lparam);
  }
}

// ---------------------------------------------------------------------------
// CQWResizingDialog

CQWResizingDialog::~CQWResizingDialog() {
  if (m_hWnd != nullptr) {
    SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    DestroyWindow(m_hWnd);
  }
}

void CQWResizingDialog::AddControl(UINT id, std::uint32_t flags) {
  m_arrControls.push_back({id, {}, flags});
}

bool CQWResizingDialog::Create(const DLGTEMPLATE* dialog_template, HWND owner) {
  m_hWnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner, DialogProc,
                                      reinterpret_cast<LPARAM>(this));
  return m_hWnd != nullptr;
}

INT_PTR CALLBACK CQWResizingDialog::DialogProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    reinterpret_cast<CQWResizingDialog*>(lparam)->m_hWnd = window;
  }
  auto* dialog = reinterpret_cast<CQWResizingDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  return dialog->OnMessage(message, wparam, lparam);
}

INT_PTR CQWResizingDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_SIZE:
      OnSize(static_cast<UINT>(wparam), LOWORD(lparam), HIWORD(lparam));
      return FALSE;
    case WM_GETMINMAXINFO: {
      // Not below the size of the first showing, by the frame or by the grip.
      if (m_rcInitialWindow.right != 0 || m_rcInitialWindow.bottom != 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize = {m_rcInitialWindow.right - m_rcInitialWindow.left,
                                m_rcInitialWindow.bottom - m_rcInitialWindow.top};
      }
      return TRUE;
    }
    case WM_MOUSEMOVE:
      if (GetCapture() == nullptr) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return FALSE;
    default:
      return FALSE;
  }
}

BOOL CQWResizingDialog::OnInitDialog() {
  SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) | WS_CLIPCHILDREN);
  GetWindowRect(m_hWnd, &m_rcInitialWindow);
  GetClientRect(m_hWnd, &m_rcInitialClient);
  m_wndSizeGrip.Create(m_hWnd, kSizeGripId);
  PlaceSizeGrip();
  for (CQWResizingControl& control : m_arrControls) {
    if (const HWND window = GetDlgItem(static_cast<int>(control.m_nID))) {
      control.m_rcInitial = ControlRectInDialog(window, m_hWnd);
    }
  }
  return TRUE;
}

void CQWResizingDialog::PlaceSizeGrip() {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int width = GetSystemMetrics(SM_CXHSCROLL);
  const int height = GetSystemMetrics(SM_CYVSCROLL);
  // At the bottom of the sibling order: controls that overlap it are drawn over it.
  SetWindowPos(m_wndSizeGrip.GetSafeHwnd(), HWND_BOTTOM, client.right - width,
               client.bottom - height, width, height, 0);
}

void CQWResizingDialog::OnSize(UINT, int, int) {
  // A size message during creation finds no controls yet.
  if (m_arrControls.empty() ||
      GetDlgItem(static_cast<int>(m_arrControls.front().m_nID)) == nullptr ||
      m_wndSizeGrip.GetSafeHwnd() == nullptr) {
    return;
  }
  PlaceSizeGrip();
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const Rect initial_client = ToRect(m_rcInitialClient);
  for (const CQWResizingControl& control : m_arrControls) {
    const HWND window = GetDlgItem(static_cast<int>(control.m_nID));
    if (window == nullptr) continue;
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPSIBLINGS);
    const Rect placed =
        AnchoredRect(control.m_nFlags, control.m_rcInitial, ControlRectInDialog(window, m_hWnd),
                     initial_client, ToRect(client));
    SetWindowPos(window, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOZORDER);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  }
}

}  // namespace rqx340
