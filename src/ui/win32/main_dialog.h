// The tool's one window on Win32: dialog template 129 of the resource module
// (the language library when one is loaded), run modally over the host's
// window. What the controls show and allow is the main dialog state's; this
// draws it and hands the user's actions in.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/main_dialog_state.h"
#include "app/main_dialog_template.h"
#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "base/progress.h"
#include "ui/win32/measurement_list.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/not_listed_window.h"
#include "ui/win32/preview_window.h"
#include "ui/win32/progress_bar_sink.h"
#include "ui/win32/resizing_dialog.h"
#include "ui/win32/shell_thread.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// Resource ids of the program and its language libraries.
inline constexpr int kIdDialog = 129;
inline constexpr int kIdIcon = 128;
// The start timer's id.
inline constexpr UINT_PTR kStartTimerId = 1;

class CRQX340MainDlg final : public CQWResizingDialog {
 public:
  // Messages of the import go to `messages`; `browser` shows the folder
  // browser; `loop` runs the dialog.
  CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser,
                 Win32MessageLoop& loop);
  ~CRQX340MainDlg() override;

  // Creates the dialog and runs it until it ends; returns its result (-1 when
  // it cannot be created). The host's window, when it is a visible window of
  // this desktop, owns the dialog and is disabled meanwhile. `script`, when
  // given, runs once the dialog is up, in place of the user, and the dialog is
  // closed after it unless it ended already.
  int DoModal(const std::function<void(CRQX340MainDlg&)>& script = {});
  bool Ended() const { return m_bEnded; }

  // Brings the buttons and the empty-list text in line with the list.
  void UpdateControls();
  // true: the controls into the state; false: the state into the controls.
  bool UpdateData(bool save);

  MainDialogState& State() { return m_state; }
  CRQX340FileListCtrl& List() { return m_list; }
  bool StartTimerPending() const { return m_bStartTimerPending; }
  // Opens the preview of list row `row` ("Preview...", Ctrl+P); nothing while
  // busy or outside the rows. The preview opened, or null.
  MeasurementPreviewWindow* OpenPreview(int row);
  // The preview opened last, while it is open.
  MeasurementPreviewWindow* Preview() const;
  // Every preview open, the most recent last.
  std::vector<MeasurementPreviewWindow*> Previews() const;

  // The note that files were left out (control kIdcNotListed), and the window
  // it opens: null when none is open.
  HWND NotListedNote() const { return GetDlgItem(static_cast<int>(kIdcNotListed)); }
  NotListedWindow* NotListedWindowOpen() const;
  void OpenNotListed();

  // Esc, Close and the close box.
  void OnCancel();

 protected:
  BOOL OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy) override;
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  static LRESULT CALLBACK FolderSubclassProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam, UINT_PTR id, DWORD_PTR data);
  void OnTimer(UINT_PTR id);
  void OnSelChangeFolder();
  void OnKillFocusFolder();
  void OnBrowse();
  void OnImportSelected();
  void OnListContextMenu(POINT screen_point);
  // After a scan: the buttons, and a close asked for meanwhile.
  void AfterScan();
  // The folder box's list as the state has it.
  void LoadFolderList();
  void DDX_FolderCombo(bool save);
  // Disables the dialog (and the previews) or enables it again, with the
  // focus it had.
  void SetDialogEnabled(bool enabled);
  void SubclassFolderBox();
  void ClosePreviews();
  // The note, over the progress bar's place; before the layout is set up.
  void CreateNotListedNote();
  // The note shows where the progress bar stands, while the bar is hidden.
  void ShowNotListedNote();

  CRQX340App& m_app;
  MessageSink& m_messages;
  CShellThread& m_browser;
  Win32MessageLoop& m_loop;
  MainDialogState m_state;
  CRQX340FileListCtrl m_list;
  ProgressBarSink m_progress;
  // The scan's bar: repaints only after each file.
  RepaintingProgress m_scanProgress{
      m_progress, [] {
        MSG message{};
        while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
          DispatchMessageW(&message);
        }
      }};
  HICON m_hIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  HFONT m_hLinkFont = nullptr;
  HWND m_hFocusBeforeDisable = nullptr;
  bool m_bStartTimerPending = false;
  bool m_bEnded = false;
  int m_nResult = -1;
  std::vector<std::unique_ptr<MeasurementPreviewWindow>> m_previews;
  std::unique_ptr<NotListedWindow> m_notListed;
};

}  // namespace rqx340
