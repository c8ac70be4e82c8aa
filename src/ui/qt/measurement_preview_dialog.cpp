// The preview reads the file once and keeps it: the numbers, the plot and the
// CSV export all come from that one reading.
#include "ui/qt/measurement_preview_dialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "app/measurement_preview_texts.h"
#include "import/export_files.h"
#include "measurement/folder_scan.h"
#include "measurement/json_reader.h"
#include "platform/input_file.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

QColor Colour(std::uint32_t rgb) { return QColor(static_cast<QRgb>(rgb)); }

}  // namespace

// The caller's pump, with the stop flag also set once the user asked to close.
class MeasurementPreviewDialog::StoppingPump final : public MessagePump {
 public:
  StoppingPump(MessagePump& pump, const bool& close_requested)
      : m_pump(pump), m_bCloseRequested(close_requested) {}
  bool PumpPendingMessages(std::int32_t* stop) override {
    const bool result = m_pump.PumpPendingMessages(stop);
    if (m_bCloseRequested) *stop = 1;
    return result;
  }

 private:
  MessagePump& m_pump;
  const bool& m_bCloseRequested;
};

template <typename Work>
auto MeasurementPreviewDialog::WhileBusy(MessagePump& pump, Work&& work) {
  StoppingPump stopping(pump, m_bCloseRequested);
  m_bBusy = true;
  m_pExportCsv->setEnabled(false);
  m_pExportWav->setEnabled(false);
  const auto result = work(stopping);
  m_bBusy = false;
  m_pExportCsv->setEnabled(m_content != nullptr);
  m_pExportWav->setEnabled(m_content != nullptr && !RawDataFileOf(m_strPath).empty());
  if (m_bCloseRequested) {
    m_bCloseRequested = false;
    // Closed after the work, never under it.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
  }
  return result;
}

void MeasurementPreviewDialog::reject() {
  if (m_bBusy) {
    m_bCloseRequested = true;
    return;
  }
  QDialog::reject();
}

void MeasurementPreviewDialog::closeEvent(QCloseEvent* event) {
  if (m_bBusy) {
    m_bCloseRequested = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

MeasurementPreviewDialog::MeasurementPreviewDialog(QWidget* parent, CRQX340App& app,
                                                   std::string folder, std::string file_name)
    : QDialog(parent),
      m_app(app),
      m_strFolder(std::move(folder)),
      m_strFileName(std::move(file_name)) {
  m_strPath = WithTrailingSlash(m_strFolder) + m_strFileName;
  BuildControls();
}

MeasurementPreviewDialog::~MeasurementPreviewDialog() = default;

void MeasurementPreviewDialog::BuildControls() {
  setWindowTitle(ToQString(kPreviewTitle) + ToQString(m_strFileName));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);

  m_pTitle = new QLabel(ToQString(m_strFileName), this);
  QFont title_font = m_pTitle->font();
  title_font.setBold(true);
  m_pTitle->setFont(title_font);
  layout->addWidget(m_pTitle);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setTextVisible(false);
  m_pProgress->hide();
  layout->addWidget(m_pProgress);
  m_progress = std::make_unique<ProgressBarSink>(*m_pProgress);

  m_pNumbers = new MeasurementNumbersView(this);
  layout->addWidget(m_pNumbers);

  m_pPlot = new MeasurementPlotWidget(this);
  layout->addWidget(m_pPlot, 1);

  auto* exposure = new QGridLayout;
  exposure->addWidget(new QLabel(ToQString(kExposureHoursLabel), this), 0, 0);
  m_pHours = new QLineEdit(this);
  m_pHours->setMaximumWidth(80);
  m_pHours->setToolTip(ToQString(kExposureHoursTip));
  exposure->addWidget(m_pHours, 0, 1);
  m_pA8 = new QLabel(this);
  exposure->addWidget(m_pA8, 0, 2);
  m_pVerdict = new QLabel(this);
  QFont verdict_font = m_pVerdict->font();
  verdict_font.setBold(true);
  m_pVerdict->setFont(verdict_font);
  exposure->addWidget(m_pVerdict, 0, 3);
  exposure->setColumnStretch(3, 1);
  layout->addLayout(exposure);

  m_pWarning = new QLabel(this);
  m_pWarning->setWordWrap(true);
  m_pWarning->setStyleSheet(QStringLiteral("color: %1;").arg(Colour(kWarningColour).name()));
  m_pWarning->hide();
  layout->addWidget(m_pWarning);

  auto* buttons = new QHBoxLayout;
  m_pExportCsv = new QPushButton(ToQString(kExportCsvButton), this);
  m_pExportWav = new QPushButton(ToQString(kExportWavButton), this);
  auto* close = new QPushButton(ToQString(kPreviewClose), this);
  m_pExportCsv->setEnabled(false);
  m_pExportWav->setEnabled(false);
  buttons->addWidget(m_pExportCsv);
  buttons->addWidget(m_pExportWav);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(m_pExportCsv, &QPushButton::clicked, this, [this] { OnExportCsv(); });
  connect(m_pExportWav, &QPushButton::clicked, this, [this] { OnExportWav(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  const std::string& hours = m_app.Settings().ExposureHours();
  m_pHours->setText(ToQString(hours.empty() ? kDefaultExposureHours : std::string_view(hours)));
  connect(m_pHours, &QLineEdit::textChanged, this, [this](const QString& text) {
    // Only a time that reads back is kept, as text in the C locale.
    const std::string typed = ToUtf8(text);
    if (ParseExposureHours(typed)) m_app.Settings().SetExposureHours(typed);
    UpdateExposure();
  });
  resize(720, 520);
}

bool MeasurementPreviewDialog::Load(MessagePump& pump) {
  m_content = std::make_unique<MeasurementContent>();
  m_bLoaded = false;
  ReadOutcome read = ReadOutcome::kReadFailed;
  if (auto file = InputFile::Open(m_strPath)) {
    m_progress->SetPos(0);
    m_progress->SetStep(1);
    m_progress->SetRange(0, static_cast<std::int32_t>(file->Size() >> 16));
    m_progress->Show();
    std::vector<char> buffer(kReadBufferSize);
    read = WhileBusy(pump, [&](MessagePump& stopping) {
      return ReadMeasurementFile(*file, buffer, *m_progress, stopping, *m_content);
    });
    m_progress->Hide();
  }
  if (read != ReadOutcome::kRead) {
    m_content.reset();
    m_pExportCsv->setEnabled(false);
    m_pExportWav->setEnabled(false);
    m_pNumbers->ShowNote(read == ReadOutcome::kStopped ? ToQString(kReadingStopped)
                                                       : ToQString(kCannotReadFile));
    m_pPlot->SetPlot(nullptr);
    UpdateExposure();
    return false;
  }
  m_bLoaded = true;
  m_numbers = ComputeNumbers(m_content->document, m_content->rows);
  m_plot = ComputePlotData(m_content->document, m_content->rows, kMaxPlotColumns);
  m_pPlot->SetPlot(&m_plot);
  m_pNumbers->ShowLines(NumbersLines(m_numbers));
  if (m_content->parse.IsError()) {
    m_pTitle->setText(ToQString(m_strFileName) + ToQString(kNotValidJson));
  }
  UpdateExposure();
  return true;
}

std::optional<double> MeasurementPreviewDialog::ExposureHours() const {
  return ParseExposureHours(ToUtf8(m_pHours->text()));
}

void MeasurementPreviewDialog::SetExposureHoursText(const QString& text) {
  m_pHours->setText(text);
}

void MeasurementPreviewDialog::UpdateExposure() {
  const std::optional<double> hours = ExposureHours();
  m_pHours->setStyleSheet(
      hours ? QString() : QStringLiteral("color: %1;").arg(Colour(kInvalidFieldColour).name()));
  const ExposureTexts texts = DescribeExposure(m_bLoaded ? &m_numbers : nullptr, hours);
  m_pA8->setText(ToQString(texts.a8));
  m_pVerdict->setText(ToQString(texts.verdict_text));
  m_pVerdict->setStyleSheet(
      QStringLiteral("color: %1;").arg(Colour(VerdictColour(texts.verdict)).name()));
  m_pWarning->setText(ToQString(texts.warning));
  m_pWarning->setVisible(!texts.warning.empty());
}

QString MeasurementPreviewDialog::A8Text() const { return m_pA8->text(); }
QString MeasurementPreviewDialog::VerdictText() const { return m_pVerdict->text(); }
QString MeasurementPreviewDialog::WarningText() const { return m_pWarning->text(); }
QString MeasurementPreviewDialog::NumbersText() const { return m_pNumbers->text(); }

void MeasurementPreviewDialog::ShowFailure(const QString& text) {
  QMessageBox::warning(this, windowTitle(), text);
}

bool MeasurementPreviewDialog::ExportCsvTo(const std::string& out, MessagePump& pump) {
  if (!m_content) return false;
  m_progress->Show();
  const ExportResult result = WhileBusy(pump, [&](MessagePump& stopping) {
    return WriteCsvFile(m_content->document, m_content->rows, m_strFileName, out, *m_progress,
                        stopping);
  });
  m_progress->Hide();
  if (result.status == ExportStatus::kWritten) return true;
  if (result.status != ExportStatus::kStopped) {
    ShowFailure(ToQString(kCsvNotWritten) + ToQString(result.error));
  }
  return false;
}

bool MeasurementPreviewDialog::ExportWavTo(const std::string& out, MessagePump& pump) {
  const ExportResult result = WhileBusy(pump, [&](MessagePump& stopping) {
    return ExportWav(m_strPath, out, *m_progress, stopping);
  });
  if (result.status == ExportStatus::kWritten) return true;
  if (result.status != ExportStatus::kStopped) {
    QString why = ToQString(result.error);
    if (why.isEmpty()) why = ToQString(kReadError);
    ShowFailure(ToQString(kWavNotWritten) + why);
  }
  return false;
}

std::string MeasurementPreviewDialog::AskExportPath(const QString& title, const QString& extension,
                                                    const QString& filter) {
  const QString base = QFileInfo(ToQString(m_strFileName)).completeBaseName();
  const QString suggested = ToQString(WithTrailingSlash(m_strFolder)) + base + extension;
  return ToUtf8(QFileDialog::getSaveFileName(this, title, suggested, filter));
}

void MeasurementPreviewDialog::OnExportCsv() {
  const std::string out = AskExportPath(ToQString(kExportCsvTitle), QStringLiteral(".csv"),
                                        ToQString(kCsvFiles) + QStringLiteral(" (*.csv)"));
  if (!out.empty()) ExportCsvTo(out, m_app.Pump());
}

void MeasurementPreviewDialog::OnExportWav() {
  const std::string out = AskExportPath(ToQString(kExportWavTitle), QStringLiteral(".wav"),
                                        ToQString(kWavFiles) + QStringLiteral(" (*.wav)"));
  if (!out.empty()) ExportWavTo(out, m_app.Pump());
}

MeasurementPreviewDialog* ShowMeasurementPreview(QWidget* parent, CRQX340App& app,
                                                 const std::string& folder,
                                                 const std::string& file_name) {
  auto* dialog = new MeasurementPreviewDialog(parent, app, folder, file_name);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  dialog->Load(app.Pump());
  return dialog;
}

}  // namespace rqx340
