// The folder browser on Win32: the worker initialises COM for its whole life and
// shows the shell's folder browser (SHBrowseForFolderW) on request; the main
// window is disabled meanwhile and keeps its messages going.
#pragma once

#include <optional>
#include <string>

#include "app/folder_browser.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// One browse: SHBrowseForFolderW over `owner` with `title`, the initial folder
// preselected once the browser is up.
class CQWBrowseForFolder {
 public:
  CQWBrowseForFolder(HWND owner, std::wstring title);
  virtual ~CQWBrowseForFolder() = default;
  CQWBrowseForFolder(const CQWBrowseForFolder&) = delete;
  CQWBrowseForFolder& operator=(const CQWBrowseForFolder&) = delete;

  void SetFlags(UINT flags) { m_bi.ulFlags = flags; }
  // True when the user chose a folder with a file-system path.
  BOOL Browse(const std::wstring& initialFolder);
  std::wstring GetPath() const { return m_szPath; }

 protected:
  virtual void OnInitialized();
  virtual void OnSelChanged(LPCITEMIDLIST pidl);

 private:
  static int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM lParam, LPARAM data);

  std::wstring m_strTitle;
  BROWSEINFOW m_bi{};
  wchar_t m_szPath[MAX_PATH] = {};
  std::wstring m_strInitialFolder;
  HWND m_hWnd = nullptr;
};

// BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE.
inline constexpr UINT kBrowseFlags = 0x45;

class CShellThread final : public CShellThreadBase {
 public:
  CShellThread(const StringTable& strings, MessagePump& pump)
      : CShellThreadBase(strings, pump, '\\') {}
  ~CShellThread() override { Stop(); }

  // On the user interface thread; see CShellThreadBase::Request.
  bool ShellBrowseForFolder(HWND owner, std::string& folder);

 protected:
  void OnStart() override;
  void OnEnd() override;
  void OnFirstRequest() override;
  void BeginModalState() override;
  void EndModalState() override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial) override;

 private:
  HWND m_hWndMain = nullptr;  // taken when the worker is started
  HWND m_hWndOwner = nullptr;
};

}  // namespace rqx340
