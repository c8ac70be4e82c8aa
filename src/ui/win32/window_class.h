// The program's own top-level windows besides the dialog (the preview, the
// files not listed): their window class, and the object each window belongs to.
#pragma once

#include "ui/win32/windows_api.h"

namespace rqx340 {

// Registers a top-level window class of the program: icon 128, the arrow, the
// dialog's face colour. 0 when it cannot be registered.
inline ATOM RegisterToolWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
  window_class.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
  window_class.lpszClassName = name;
  return RegisterClassW(&window_class);
}

// The object `window` belongs to: the creation parameter of CreateWindowExW,
// kept with the window from WM_NCCREATE on; null before that and after the
// object lets the window go.
template <typename Owner>
Owner* WindowOwner(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return owner;
  }
  return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace rqx340
