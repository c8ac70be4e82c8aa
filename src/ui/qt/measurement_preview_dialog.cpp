// The preview reads the file once and keeps it: the numbers, the plot and the
// CSV export all come from that one reading.
#include "ui/qt/measurement_preview_dialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/folder_text.h"
#include "app/measurement_preview_texts.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

QColor Colour(std::uint32_t rgb) { return QColor(static_cast<QRgb>(rgb)); }

// A label that shows its text as it is: a file name is no markup.
QLabel* PlainLabel(QWidget* parent, const QString& text = {}) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  return label;
}

}  // namespace

void MeasurementPreviewDialog::reject() {
  if (!m_state.RequestClose()) return;
  QDialog::reject();
}

void MeasurementPreviewDialog::closeEvent(QCloseEvent* event) {
  if (!m_state.RequestClose()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void MeasurementPreviewDialog::AfterWork() {
  m_pExportCsv->setEnabled(m_state.CanExportCsv());
  m_pExportWav->setEnabled(m_state.CanExportWav());
  // Closed after the work, never under it.
  if (m_state.TakeCloseAfterWork()) {
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
  }
}

MeasurementPreviewDialog::MeasurementPreviewDialog(QWidget* parent, CRQX340App& app,
                                                   std::string folder, std::string file_name)
    : QDialog(parent),
      m_app(app),
      m_state(app.Settings(), app.Strings(), std::move(folder), std::move(file_name)) {
  BuildControls();
}

MeasurementPreviewDialog::~MeasurementPreviewDialog() = default;

QString MeasurementPreviewDialog::Text(int id) const { return ToQString(m_app.Strings().Load(id)); }

void MeasurementPreviewDialog::BuildControls() {
  setWindowTitle(ToQString(m_state.Caption()));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);

  m_pTitle = PlainLabel(this, ToQString(m_state.Heading()));
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

  m_pPlot = new MeasurementPlotWidget(m_app.Strings(), this);
  layout->addWidget(m_pPlot, 1);

  auto* exposure = new QGridLayout;
  QLabel* hours_label = PlainLabel(this, Text(kIdsExposureHoursLabel));
  exposure->addWidget(hours_label, 0, 0);
  m_pHours = new QLineEdit(this);
  m_pHours->setMaximumWidth(80);
  m_pHours->setToolTip(Text(kIdsExposureHoursTip));
  hours_label->setBuddy(m_pHours);
  exposure->addWidget(m_pHours, 0, 1);
  m_pA8 = PlainLabel(this);
  exposure->addWidget(m_pA8, 0, 2);
  m_pVerdict = PlainLabel(this);
  QFont verdict_font = m_pVerdict->font();
  verdict_font.setBold(true);
  m_pVerdict->setFont(verdict_font);
  exposure->addWidget(m_pVerdict, 0, 3);
  exposure->setColumnStretch(3, 1);
  layout->addLayout(exposure);

  m_pWarning = PlainLabel(this);
  m_pWarning->setWordWrap(true);
  m_pWarning->setStyleSheet(QStringLiteral("color: %1;").arg(Colour(kWarningColour).name()));
  m_pWarning->hide();
  layout->addWidget(m_pWarning);

  auto* buttons = new QHBoxLayout;
  m_pExportCsv = new QPushButton(Text(kIdsExportCsvButton), this);
  m_pExportWav = new QPushButton(Text(kIdsExportWavButton), this);
  auto* close = new QPushButton(Text(kIdcClose), this);
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

  m_pHours->setText(ToQString(m_state.InitialExposureText()));
  connect(m_pHours, &QLineEdit::textChanged, this, [this](const QString& text) {
    m_state.OnExposureTextChanged(ToUtf8(text));
    UpdateExposure();
  });
  resize(720, 520);
}

bool MeasurementPreviewDialog::Load(MessagePump& pump) {
  m_pExportCsv->setEnabled(false);
  m_pExportWav->setEnabled(false);
  const ReadOutcome read = m_state.Load(*m_progress, pump);
  if (read != ReadOutcome::kRead) {
    m_pNumbers->ShowNote(ToQString(m_state.NotLoadedText()));
    m_pPlot->SetPlot(nullptr);
  } else {
    m_pPlot->SetPlot(&m_state.Plot(), m_state.TimeBase(), &m_state.Numbers(), m_state.Pictures());
    m_pNumbers->ShowLines(NumbersLines(m_state.Numbers(), m_app.Strings()));
    m_pTitle->setText(ToQString(m_state.Heading()));
  }
  UpdateExposure();
  AfterWork();
  return read == ReadOutcome::kRead;
}

std::optional<double> MeasurementPreviewDialog::ExposureHours() const {
  return ParseExposureHours(ToUtf8(m_pHours->text()));
}

void MeasurementPreviewDialog::SetExposureHoursText(const QString& text) {
  m_pHours->setText(text);
}

void MeasurementPreviewDialog::UpdateExposure() {
  const std::optional<double> hours = ExposureHours();
  const ExposureTexts texts = m_state.Exposure(ToUtf8(m_pHours->text()));
  m_pHours->setStyleSheet(
      hours ? QString() : QStringLiteral("color: %1;").arg(Colour(kInvalidFieldColour).name()));
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

void MeasurementPreviewDialog::ShowFailure(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), ToQString(text), QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool MeasurementPreviewDialog::ExportCsvTo(const std::string& out, MessagePump& pump) {
  if (!m_state.CanExportCsv()) return false;
  m_pExportCsv->setEnabled(false);
  m_pExportWav->setEnabled(false);
  const ExportResult result = m_state.ExportCsv(out, *m_progress, pump);
  AfterWork();
  const std::string failure = m_state.ExportFailureText(kIdsCsvNotWritten, result);
  if (!failure.empty()) ShowFailure(failure);
  return result.status == ExportStatus::kWritten;
}

bool MeasurementPreviewDialog::ExportWavTo(const std::string& out, MessagePump& pump) {
  m_pExportCsv->setEnabled(false);
  m_pExportWav->setEnabled(false);
  const ExportResult result = m_state.ExportWav(out, *m_progress, pump);
  AfterWork();
  const std::string failure = m_state.ExportFailureText(kIdsWavNotWritten, result);
  if (!failure.empty()) ShowFailure(failure);
  return result.status == ExportStatus::kWritten;
}

std::string MeasurementPreviewDialog::AskExportPath(const QString& title, const QString& extension,
                                                    const QString& filter) {
  const QString suggested = ToQString(m_state.SuggestedExportPath(ToUtf8(extension)));
  return ToUtf8(QFileDialog::getSaveFileName(this, title, suggested, filter));
}

void MeasurementPreviewDialog::OnExportCsv() {
  const std::string out =
      AskExportPath(Text(kIdsExportCsvTitle), QStringLiteral(".csv"), Text(kIdsCsvFilter));
  if (!out.empty()) ExportCsvTo(out, m_app.Pump());
}

void MeasurementPreviewDialog::OnExportWav() {
  const std::string out =
      AskExportPath(Text(kIdsExportWavTitle), QStringLiteral(".wav"), Text(kIdsWavFilter));
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
