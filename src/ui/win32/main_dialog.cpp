// The import dialog.
#include "ui/win32/main_dialog.h"

#include "ui/win32/message_box_sink.h"
#include "ui/win32/resource_library.h"

namespace rqx340 {

CRQX340MainDlg::CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser,
                               Win32MessageLoop& loop)
    : m_app(app), m_messages(messages), m_browser(browser), m_loop(loop) {}

CRQX340MainDlg::~CRQX340MainDlg() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
  if (m_hIcon != nullptr) DestroyIcon(m_hIcon);
  if (m_hSmallIcon != nullptr) DestroyIcon(m_hSmallIcon);
}

int CRQX340MainDlg::DoModal(const std::function<void(CRQX340MainDlg&)>& script) {
  // The template is read from the resource module and created with the
  // program's instance, as a language library holds resources only.
  const HMODULE resources = ResourceModule(m_app);
  const HRSRC found = FindResourceW(resources, MAKEINTRESOURCEW(kIdDialog), RT_DIALOG);
  const HGLOBAL loaded = found != nullptr ? LoadResource(resources, found) : nullptr;
  const auto* dialog_template =
      loaded != nullptr ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
  if (dialog_template == nullptr) return -1;

  HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(m_app.HostWindow())));
  if (!IsWindow(owner) || !IsWindowVisible(owner)) owner = nullptr;
  if (owner != nullptr) owner = GetAncestor(owner, GA_ROOT);
  m_bEnded = false;
  m_hWnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner, DialogProc,
                                      reinterpret_cast<LPARAM>(this));
  if (m_hWnd == nullptr) return -1;
  m_loop.AddDialog(m_hWnd);
  // Message boxes belong to the dialog while it is there.
  auto* boxes = dynamic_cast<MessageBoxSink*>(&m_messages);
  if (boxes != nullptr) boxes->SetOwner(m_hWnd);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(m_hWnd, SW_SHOW);
  if (script) {
    script(*this);
    if (!m_bEnded) OnCancel();
  } else {
    m_loop.RunUntil([this] { return m_bEnded; });
  }
  if (owner != nullptr) EnableWindow(owner, TRUE);
  if (boxes != nullptr) boxes->SetOwner(nullptr);
  m_loop.RemoveDialog(m_hWnd);
  DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
  return m_nResult;
}

INT_PTR CALLBACK CRQX340MainDlg::DialogProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CRQX340MainDlg*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    dialog->m_hWnd = window;
    return dialog->OnMessage(message, wparam, lparam);
  }
  auto* dialog = reinterpret_cast<CRQX340MainDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  return dialog->OnMessage(message, wparam, lparam);
}

INT_PTR CRQX340MainDlg::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:  // Enter does nothing
          return TRUE;
        case IDCANCEL:
          OnCancel();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL CRQX340MainDlg::OnInitDialog() {
  const HMODULE resources = ResourceModule(m_app);
  m_hIcon =
      static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(kIdIcon), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  m_hSmallIcon = static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(kIdIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
  return TRUE;
}

void CRQX340MainDlg::OnCancel() { EndDialog(IDCANCEL); }

void CRQX340MainDlg::EndDialog(int result) {
  m_nResult = result;
  m_bEnded = true;
}

}  // namespace rqx340
