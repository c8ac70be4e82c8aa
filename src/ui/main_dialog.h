// The tool's one window: the folder (typed, picked from the ten most recently
// imported-from folders, or browsed for), the measurement list of that folder,
// and the import of the checked measurements.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "base/progress.h"
#include "ui/dialog_units.h"
#include "ui/measurement_list.h"
#include "ui/measurement_preview_dialog.h"
#include "ui/resizing_dialog.h"
#include "ui/shell_thread.h"

namespace rqx340 {

// The template: its client area in dialog units.
inline constexpr int kTemplateWidthDu = 389;
inline constexpr int kTemplateHeightDu = 201;
// Controls without a text of their own.
inline constexpr int kIdcProgress = 1095;
inline constexpr int kIdcList = 1108;
inline constexpr int kIdcFolder = 1109;
inline constexpr int kFolderHistorySize = 10;
// The first scan waits this long after the dialog opened.
inline constexpr int kStartTimerMs = 50;

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

// The progress bar as the core drives it.
class ProgressBarSink final : public ProgressSink {
 public:
  explicit ProgressBarSink(QProgressBar& bar) : m_bar(bar) {}
  void SetRange(std::int32_t low, std::int32_t high) override;
  void SetPos(std::int32_t pos) override;
  void SetStep(std::int32_t step) override { m_nStep = step; }
  // Past the end the bar starts again from the beginning.
  void StepIt() override;
  void Show() override { m_bar.show(); }
  void Hide() override { m_bar.hide(); }

 private:
  QProgressBar& m_bar;
  std::int32_t m_nStep = 10;
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
  // true: the controls into the members; false: the members into the controls.
  bool UpdateData(bool save);

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

  const std::string& Folder() const { return m_strFolder; }
  const std::vector<std::string>& FolderHistory() const { return m_arrFolderHistory; }
  bool Busy() const { return m_bBusy != 0; }
  std::int32_t ImportRaw() const { return m_bImportRaw; }
  // True until the first scan's timer has run.
  bool StartTimerPending() const { return m_startTimer.isActive(); }
  int Scans() const { return m_nScans; }
  // Opens the preview of the measurement in list row `row` ("Preview...", Ctrl+P);
  // nothing while busy or outside the rows. The preview open, or null.
  MeasurementPreviewDialog* OpenPreview(int row);
  MeasurementPreviewDialog* Preview() const { return m_preview.data(); }

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

  void ScanFolder();
  void DDX_FolderCombo(bool save);
  // The entry whose text is `folder` byte for byte, or -1.
  int FindFolderExact(const std::string& folder) const;
  // A typed or browsed folder stands at the top of the list until the next one.
  void PutTypedFolderOnTop();
  void MoveFolderToHistoryTop();
  void RunImport();
  // Disables the content and gives the focus back when it is enabled again.
  void SetContentEnabled(bool enabled);

  CRQX340App& m_app;
  MessageSink& m_messages;
  CShellThread& m_browser;
  DialogUnits m_units;

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
  ProgressBarSink m_progressSink{m_progress};
  QTimer m_startTimer;
  QPointer<QWidget> m_pFocusBeforeDisable;
  QPointer<MeasurementPreviewDialog> m_preview;

  std::string m_strFolder;
  std::vector<std::string> m_arrFolderHistory;
  std::int32_t m_bBusy = 0;
  std::int32_t m_bImportRaw = 0;
  std::string m_strExeName;
  bool m_bInitDone = false;
  bool m_bScanning = false;
  bool m_bCloseDeferred = false;
  bool m_bClosing = false;
  int m_nScans = 0;
};

// Centres `window` on the primary screen. Before a window is first shown its
// frame is not known, so its client size stands for its size.
void CentreOnPrimaryScreen(QWidget& window);

}  // namespace rqx340
