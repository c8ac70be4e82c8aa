// The tool's one window on Qt: the folder box, the measurement list, the
// buttons and the progress bar, laid out from the template. What the controls
// show and allow is the main dialog state's; this draws it and hands the
// user's actions in.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

#include "app/main_dialog_state.h"
#include "app/main_dialog_template.h"
#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "base/progress.h"
#include "ui/qt/dialog_font.h"
#include "ui/qt/measurement_list.h"
#include "ui/qt/measurement_preview_dialog.h"
#include "ui/qt/not_listed_dialog.h"
#include "ui/qt/progress_bar_sink.h"
#include "ui/qt/resizing_dialog.h"
#include "ui/qt/shell_thread.h"

namespace rqx340 {

// The folder box: only a pick from its open list selects an entry. The keys
// and the wheel that would step through the entries of the closed box do
// nothing; Alt+Down and F4 open the list.
class FolderComboBox final : public QComboBox {
 public:
  explicit FolderComboBox(QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

class CRQX340MainDlg final : public CQWResizingDialog {
 public:
  // Messages of the import go to `messages`; `browser` shows the folder chooser.
  CRQX340MainDlg(CRQX340App& app, MessageSink& messages, CShellThread& browser);
  ~CRQX340MainDlg() override;

  const DialogUnits& Units() const { return m_units; }
  // The client size of the template in pixels.
  QSize TemplateSize() const;

  // Brings the buttons and the empty-list text in line with the list.
  void UpdateControls();
  // true: the controls into the state; false: the state into the controls.
  bool UpdateData(bool save);

  MainDialogState& State() { return m_state; }
  const MainDialogState& State() const { return m_state; }

  // The widget that holds the nine controls; it alone is disabled during an
  // import or while the chooser is open, never the window.
  QWidget& Content() { return m_content; }
  CRQX340FileListCtrl& List() { return m_list; }
  QComboBox& FolderCombo() { return m_folder; }
  QPushButton& BrowseButton() { return m_browse; }
  QPushButton& ImportButton() { return m_import; }
  QPushButton& CloseButton() { return m_close; }
  QCheckBox& ImportRawBox() { return m_importRaw; }
  QProgressBar& ProgressBar() { return m_progress; }
  QLabel& EmptyText() { return m_empty; }
  // The note that files were left out, and the window it opens (null when
  // none is open).
  QPushButton& NotListedNote() { return m_notListed; }
  NotListedDialog* NotListedWindow() const { return m_notListedWindow.data(); }
  void OpenNotListed();

  // True until the first scan's timer has run.
  bool StartTimerPending() const { return m_startTimer.isActive(); }
  // Opens the preview of the measurement in list row `row` ("Preview...", Ctrl+P);
  // nothing while busy or outside the rows. The preview open, or null.
  MeasurementPreviewDialog* OpenPreview(int row);
  MeasurementPreviewDialog* Preview() const { return m_preview.data(); }
  // Every preview open, the most recent last.
  QList<MeasurementPreviewDialog*> Previews() const;

 protected:
  void OnInitDialog() override;
  void OnSize() override;
  // Esc, the close box (through QDialog's close handling) and Close.
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnTimer();
  void OnSelChangeFolder();
  void OnKillFocusFolder();
  void OnBrowse();
  void OnImportSelected();
  void OnCancel();
  void OnListCheckChanged() { UpdateControls(); }
  void OnListContextMenu(const QPoint& pos);

  // After a scan: the buttons, the folder box, and a close asked for meanwhile.
  void AfterScan();
  // The folder box's list as the state has it.
  void LoadFolderList();
  void DDX_FolderCombo(bool save);
  // `id`'s rectangle of the template, or of the language's place for it, in pixels.
  QRect TemplateRect(std::uint32_t id) const;
  // The widget of the template's control `id`.
  QWidget* ControlWidget(std::uint32_t id);
  // The note shows where the progress bar stands, while the bar is hidden.
  void ShowNotListedNote();
  // Disables the content and gives the focus back when it is enabled again.
  void SetContentEnabled(bool enabled);

  CRQX340App& m_app;
  MessageSink& m_messages;
  CShellThread& m_browser;
  DialogUnits m_units;
  MainDialogState m_state;

  QWidget m_content;
  QLabel m_folderLabel;
  FolderComboBox m_folder;
  QPushButton m_browse;
  CRQX340FileListCtrl m_list;
  QProgressBar m_progress;
  QPushButton m_import;
  QCheckBox m_importRaw;
  QPushButton m_close;
  QLabel m_empty;
  NoteLink m_notListed;
  ProgressBarSink m_progressSink{m_progress};
  // The scan's bar: a pump after each file repaints and runs timers but takes
  // no user input.
  RepaintingProgress m_scanProgress{
      m_progressSink, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }};
  QTimer m_startTimer;
  QPointer<QWidget> m_pFocusBeforeDisable;
  QPointer<MeasurementPreviewDialog> m_preview;
  QPointer<NotListedDialog> m_notListedWindow;
};

// Centres `window` on the primary screen. Before a window is first shown its
// frame is not known, so its client size stands for its size.
void CentreOnPrimaryScreen(QWidget& window);

}  // namespace rqx340
