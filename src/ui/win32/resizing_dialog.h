// A template dialog that the user can resize: the derived dialog registers its
// controls with anchor flags, and every size change moves and stretches each
// control relative to where it was when the dialog was set up (the arithmetic
// is the application layer's). The dialog never gets smaller than that, and a
// size grip (control 100) in the bottom-right corner can be dragged.
#pragma once

#include <cstdint>
#include <vector>

#include "app/anchor_layout.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// One registered control.
struct CQWResizingControl {
  UINT m_nID;
  Rect m_rcInitial;  // in the dialog's client coordinates; zero until OnInitDialog
  std::uint32_t m_nFlags;
};

// The size grip: drawn by the system, dragged with the mouse captured.
class CQWSizeGripWnd {
 public:
  CQWSizeGripWnd() = default;
  ~CQWSizeGripWnd();
  CQWSizeGripWnd(const CQWSizeGripWnd&) = delete;
  CQWSizeGripWnd& operator=(const CQWSizeGripWnd&) = delete;

  bool Create(HWND dialog, UINT id);
  HWND GetSafeHwnd() const { return m_hWnd; }
  bool Dragging() const { return m_bDragging; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void ResizeParent(POINT screen_point);

  HWND m_hWnd = nullptr;
  bool m_bDragging = false;
  POINT m_ptDragStart{};
  SIZE m_sizeDragStart{};
};

class CQWResizingDialog {
 public:
  static constexpr UINT kSizeGripId = 100;

  CQWResizingDialog() = default;
  virtual ~CQWResizingDialog();
  CQWResizingDialog(const CQWResizingDialog&) = delete;
  CQWResizingDialog& operator=(const CQWResizingDialog&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  // Registers a control before OnInitDialog.
  void AddControl(UINT id, std::uint32_t flags);

  const RECT& InitialWindowRect() const { return m_rcInitialWindow; }
  const RECT& InitialClientRect() const { return m_rcInitialClient; }
  const std::vector<CQWResizingControl>& Controls() const { return m_arrControls; }
  const CQWSizeGripWnd& SizeGrip() const { return m_wndSizeGrip; }

 protected:
  // Creates the dialog, modeless, from `dialog_template`, owned by `owner`.
  bool Create(const DLGTEMPLATE* dialog_template, HWND owner);

  // WS_CLIPCHILDREN, the initial rectangles, the grip.
  virtual BOOL OnInitDialog();
  // Lays out the grip and the controls.
  virtual void OnSize(UINT type, int cx, int cy);
  // Every message of the dialog; what a derived dialog does not take comes
  // here. TRUE when handled, as a dialog procedure answers.
  virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void PlaceSizeGrip();

  CQWSizeGripWnd m_wndSizeGrip;
  std::vector<CQWResizingControl> m_arrControls;
  RECT m_rcInitialWindow{};
  RECT m_rcInitialClient{};
};

// `control`'s rectangle in the client coordinates of `dialog`. A drop-down
// combo box reaches down to the bottom of its list, so the layout keeps the
// list's height.
Rect ControlRectInDialog(HWND control, HWND dialog);

}  // namespace rqx340
