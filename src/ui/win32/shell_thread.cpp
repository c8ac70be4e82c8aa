// The shell's folder browser on the worker thread.
#include "ui/win32/shell_thread.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

CQWBrowseForFolder::CQWBrowseForFolder(HWND owner, std::wstring title)
    : m_strTitle(std::move(title)) {
  m_bi.hwndOwner = owner;
  m_bi.pidlRoot = nullptr;
  m_bi.pszDisplayName = m_szPath;
  m_bi.lpszTitle = m_strTitle.c_str();
  m_bi.lpfn = BrowseCallbackProc;
  m_bi.lParam = reinterpret_cast<LPARAM>(this);
}

BOOL CQWBrowseForFolder::Browse(const std::wstring& initialFolder) {
  const std::size_t length = std::min<std::size_t>(initialFolder.size(), MAX_PATH - 1);
  initialFolder.copy(m_szPath, length);
  m_szPath[length] = L'\0';
  m_strInitialFolder = initialFolder;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&m_bi);
  m_hWnd = nullptr;
  if (chosen == nullptr) return FALSE;
  const BOOL found = SHGetPathFromIDListW(chosen, m_szPath);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(chosen);
    allocator->Release();
  }
  return found;
}

int CALLBACK CQWBrowseForFolder::BrowseCallbackProc(HWND hwnd, UINT message, LPARAM lParam,
                                                    LPARAM data) {
  auto* browser = reinterpret_cast<CQWBrowseForFolder*>(data);
  browser->m_hWnd = hwnd;
  if (message == BFFM_INITIALIZED) {
    browser->OnInitialized();
  } else if (message == BFFM_SELCHANGED) {
    browser->OnSelChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
  }
  return 0;
}

void CQWBrowseForFolder::OnInitialized() {
  if (m_strInitialFolder.empty()) return;
  const auto folder = reinterpret_cast<LPARAM>(m_strInitialFolder.c_str());
  // The tree fills in the background: the selection is set again once it has.
  SendMessageW(m_hWnd, BFFM_SETSELECTIONW, TRUE, folder);
  Sleep(500);
  PostMessageW(m_hWnd, BFFM_SETSELECTIONW, TRUE, folder);
  SendMessageW(m_hWnd, BFFM_SETSTATUSTEXTW, 0, folder);
}

void CQWBrowseForFolder::OnSelChanged(LPCITEMIDLIST pidl) {
  if (SHGetPathFromIDListW(pidl, m_szPath) == FALSE) m_szPath[0] = L'\0';
  SendMessageW(m_hWnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(m_szPath));
}

bool CShellThread::ShellBrowseForFolder(HWND owner, std::string& folder) {
  m_hWndOwner = owner;
  return Request(folder);
}

void CShellThread::OnStart() { CoInitialize(nullptr); }

void CShellThread::OnEnd() { CoUninitialize(); }

void CShellThread::OnFirstRequest() {
  m_hWndMain = m_hWndOwner != nullptr ? GetAncestor(m_hWndOwner, GA_ROOT) : nullptr;
}

void CShellThread::BeginModalState() {
  if (m_hWndMain != nullptr) EnableWindow(m_hWndMain, FALSE);
}

void CShellThread::EndModalState() {
  if (m_hWndMain != nullptr) EnableWindow(m_hWndMain, TRUE);
}

std::optional<std::string> CShellThread::ChooseFolder(const std::string& title,
                                                      const std::string& initial) {
  CQWBrowseForFolder browser(m_hWndOwner, win32::Wide(title));
  browser.SetFlags(kBrowseFlags);
  if (!browser.Browse(win32::Wide(initial))) return std::nullopt;
  return win32::Utf8(browser.GetPath());
}

}  // namespace rqx340
