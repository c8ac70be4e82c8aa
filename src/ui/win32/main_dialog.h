// The import dialog on Win32: dialog template 129 of the resource module (the
// language library when one is loaded), run modally over the host's window.
#pragma once

#include <functional>

#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/shell_thread.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// Resource ids of the program and its language libraries.
inline constexpr int kIdDialog = 129;
inline constexpr int kIdIcon = 128;

class CRQX340MainDlg {
 public:
  CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser,
                 Win32MessageLoop& loop);
  ~CRQX340MainDlg();
  CRQX340MainDlg(const CRQX340MainDlg&) = delete;
  CRQX340MainDlg& operator=(const CRQX340MainDlg&) = delete;

  // Creates the dialog and runs it until it ends; returns its result (-1 when
  // it cannot be created). The host's window, when it is a visible window of
  // this desktop, owns the dialog and is disabled meanwhile. `script`, when
  // given, runs once the dialog is up, in place of the user, and the dialog is
  // closed after it unless it ended already.
  int DoModal(const std::function<void(CRQX340MainDlg&)>& script = {});

  HWND GetSafeHwnd() const { return m_hWnd; }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  bool Ended() const { return m_bEnded; }

  // Esc, Close and the close box.
  void OnCancel();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  BOOL OnInitDialog();
  void EndDialog(int result);

  CRQX340App& m_app;
  MessageSink& m_messages;
  CShellThread& m_browser;
  Win32MessageLoop& m_loop;
  HWND m_hWnd = nullptr;
  HICON m_hIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  bool m_bEnded = false;
  int m_nResult = -1;
};

}  // namespace rqx340
