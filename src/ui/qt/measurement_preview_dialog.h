// A look at one measurement before it goes to the host: its numbers, a plot of
// its rms over the rows, the daily exposure A(8) with its verdict, and the CSV
// and WAV exports. A child window of the main dialog, opened from the list.
// What it reads, says and allows is the preview state's (application layer);
// this window lays it out on Qt widgets.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "app/measurement_preview_state.h"
#include "app/rqx340_app.h"
#include "base/progress.h"
#include "import/measurement_numbers.h"
#include "ui/qt/measurement_numbers_view.h"
#include "ui/qt/preview_plot.h"
#include "ui/qt/progress_bar_sink.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace rqx340 {

class MeasurementPreviewDialog final : public QDialog {
 public:
  // Shows nothing of the file until Load. The dialog reads and writes the
  // exposure time through `app`'s settings.
  MeasurementPreviewDialog(QWidget* parent, CRQX340App& app, std::string folder,
                           std::string file_name);
  ~MeasurementPreviewDialog() override;

  // Parses the file with the progress bar of the dialog, pumping through
  // `pump`. False when the file cannot be read or the pump stopped it; the
  // dialog then says so in place of the numbers.
  bool Load(MessagePump& pump);

  const MeasurementNumbers& Numbers() const { return m_state.Numbers(); }
  const PlotData& Plot() const { return m_state.Plot(); }
  MeasurementPlotWidget* PlotWidget() const { return m_pPlot; }
  // The daily exposure time as the field holds it; none when it is not valid.
  std::optional<double> ExposureHours() const;
  void SetExposureHoursText(const QString& text);
  // What the A(8) and verdict labels show, for tests.
  QString A8Text() const;
  QString VerdictText() const;
  QString WarningText() const;
  QString NumbersText() const;

  // The exports with a given OUT, as the buttons run them after their save
  // dialog; false after showing why they failed.
  bool ExportCsvTo(const std::string& out, MessagePump& pump);
  bool ExportWavTo(const std::string& out, MessagePump& pump);

  // While a reading or an export pumps messages, closing the preview does not
  // close it (it is deleted on close, under the running code) but stops the
  // work; the preview closes once the work has ended.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // String `id` of the application's language.
  QString Text(int id) const;
  void BuildControls();
  void UpdateExposure();
  // Export buttons as the state allows; closes when a close waited for the work.
  void AfterWork();
  // The save dialog for an export of `extension`, starting beside the file;
  // the chosen path, or empty.
  std::string AskExportPath(const QString& title, const QString& extension, const QString& filter);
  void OnExportCsv();
  void OnExportWav();
  void ShowFailure(const std::string& text);

  CRQX340App& m_app;
  MeasurementPreviewState m_state;

  QLabel* m_pTitle = nullptr;
  MeasurementNumbersView* m_pNumbers = nullptr;
  MeasurementPlotWidget* m_pPlot = nullptr;
  QLineEdit* m_pHours = nullptr;
  QLabel* m_pA8 = nullptr;
  QLabel* m_pVerdict = nullptr;
  QLabel* m_pWarning = nullptr;
  QProgressBar* m_pProgress = nullptr;
  QPushButton* m_pExportCsv = nullptr;
  QPushButton* m_pExportWav = nullptr;
  std::unique_ptr<ProgressBarSink> m_progress;
};

// The one call the main dialog makes: opens the preview of `folder` +
// `file_name` as a child of `parent` (deleted when closed), loads it with the
// application's pump, and returns it; the caller may keep a QPointer to
// disable it while the dialog is busy.
MeasurementPreviewDialog* ShowMeasurementPreview(QWidget* parent, CRQX340App& app,
                                                 const std::string& folder,
                                                 const std::string& file_name);

}  // namespace rqx340
