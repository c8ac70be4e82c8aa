// The preview reads the file once and keeps it: the numbers, the plot and the
// CSV export all come from that one reading.
#include "ui/measurement_preview_dialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/shortest_text.h"
#include "import/export_files.h"
#include "measurement/json_reader.h"
#include "platform/input_file.h"

namespace rqx340 {

namespace {

constexpr std::string_view kExposureHoursEntry = "ExposureHours";
constexpr std::string_view kDefaultExposureHours = "8";

// X, Y, Z and the sum, in the plot and its legend.
const std::array<QColor, 4> kSeriesColours = {QColor(0xC6, 0x28, 0x28), QColor(0x2E, 0x7D, 0x32),
                                              QColor(0x15, 0x65, 0xC0), QColor(0x21, 0x21, 0x21)};
constexpr std::array<const char*, 4> kSeriesNames = {"rms x", "rms y", "rms z", "rms sum"};

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Number(double value) { return Utf8(ShortestText(value)); }
QString Number(float value) { return Utf8(ShortestText(value)); }

const QString kMs2 = QStringLiteral(" m/s\u00b2");

// The colour a verdict is shown in: red above the limit, orange above the
// action value, green below, grey when nothing can be said.
QColor VerdictColour(ExposureVerdict verdict) {
  switch (verdict) {
    case ExposureVerdict::kAboveLimit:
      return QColor(0xC6, 0x28, 0x28);
    case ExposureVerdict::kAboveAction:
      return QColor(0xE6, 0x7E, 0x00);
    case ExposureVerdict::kBelowAction:
    case ExposureVerdict::kBelowLimit:
      return QColor(0x2E, 0x7D, 0x32);
    case ExposureVerdict::kNone:
    case ExposureVerdict::kUnknown:
      break;
  }
  return QColor(0x61, 0x61, 0x61);
}

}  // namespace

// ---- the plot ----

MeasurementPlotWidget::MeasurementPlotWidget(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);
}

void MeasurementPlotWidget::SetPlot(const PlotData* plot) {
  m_pPlot = plot;
  update();
}

void MeasurementPlotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QFontMetrics metrics(font());
  const int left = metrics.horizontalAdvance(QStringLiteral("0000.000")) + 8;
  const int top = metrics.height() + 6;
  const int bottom = metrics.height() + 6;
  const QRect area(left, top, std::max(1, width() - left - 10),
                   std::max(1, height() - top - bottom));
  painter.setPen(QColor(0xBD, 0xBD, 0xBD));
  painter.drawRect(area.adjusted(0, 0, -1, -1));

  if (m_pPlot == nullptr || m_pPlot->columns == 0) {
    painter.setPen(Qt::darkGray);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("No rows"));
    return;
  }
  const PlotData& plot = *m_pPlot;
  // The scale runs from 0 to the largest finite value of any series.
  float top_value = 0.0f;
  for (const PlotSeries& series : plot.series) {
    for (const float value : series.max) {
      if (std::isfinite(value)) top_value = std::max(top_value, value);
    }
  }
  if (!(top_value > 0.0f)) top_value = 1.0f;
  const auto y_of = [&](float value) {
    const double clamped = std::clamp<double>(
        std::isfinite(value) ? value : (value > 0 ? top_value : 0.0), 0.0, top_value);
    return area.bottom() - clamped / top_value * (area.height() - 1);
  };

  painter.setPen(Qt::darkGray);
  painter.drawText(QRect(0, area.top() - metrics.height() / 2, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, Number(top_value));
  painter.drawText(QRect(0, area.bottom() - metrics.height() / 2, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
  painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                   Qt::AlignLeft, QStringLiteral("row 0"));
  painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                   Qt::AlignRight, QStringLiteral("row %1").arg(plot.rows - 1));
  painter.drawText(QRect(0, 0, left, top), Qt::AlignLeft | Qt::AlignVCenter, kMs2.trimmed());

  // The legend, top right.
  int legend_x = area.right();
  for (std::size_t s = kSeriesNames.size(); s-- > 0;) {
    const QString name = QString::fromLatin1(kSeriesNames[s]);
    legend_x -= metrics.horizontalAdvance(name) + 24;
    painter.setPen(QPen(kSeriesColours[s], 2));
    painter.drawLine(legend_x, top / 2, legend_x + 14, top / 2);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(legend_x + 18, top / 2 + metrics.ascent() / 2 - 1), name);
  }

  painter.setClipRect(area);
  const int pixels = area.width();
  for (std::size_t s = 0; s < plot.series.size(); ++s) {
    const PlotSeries& series = plot.series[s];
    painter.setPen(QPen(kSeriesColours[s], 1.5));
    if (plot.columns <= static_cast<std::size_t>(pixels)) {
      // Few columns: a line through the column centres, broken where one has no value.
      QPainterPath path;
      bool drawing = false;
      for (std::size_t c = 0; c < plot.columns; ++c) {
        const float value = series.max[c];
        if (std::isnan(value)) {
          drawing = false;
          continue;
        }
        const QPointF point(area.left() + (c + 0.5) * area.width() / plot.columns, y_of(value));
        if (drawing) {
          path.lineTo(point);
        } else {
          path.moveTo(point);
          drawing = true;
        }
      }
      painter.drawPath(path);
      continue;
    }
    // More columns than pixels: the smallest and largest value per pixel
    // column, joined to the next so the trace stays unbroken.
    painter.setPen(QPen(kSeriesColours[s], 1));
    std::optional<std::pair<double, double>> previous;
    for (int px = 0; px < pixels; ++px) {
      const std::size_t first = plot.columns * static_cast<std::size_t>(px) / pixels;
      const std::size_t last = plot.columns * static_cast<std::size_t>(px + 1) / pixels;
      float low = NAN;
      float high = NAN;
      for (std::size_t c = first; c < last; ++c) {
        if (std::isnan(series.min[c])) continue;
        low = std::isnan(low) ? series.min[c] : std::min(low, series.min[c]);
        high = std::isnan(high) ? series.max[c] : std::max(high, series.max[c]);
      }
      if (std::isnan(low)) {
        previous.reset();
        continue;
      }
      double y_low = y_of(low);
      double y_high = y_of(high);
      if (previous) {
        y_low = std::max(y_low, previous->second);
        y_high = std::min(y_high, previous->first);
      }
      const double x = area.left() + px + 0.5;
      painter.drawLine(QPointF(x, std::max(y_low, y_high)), QPointF(x, std::min(y_low, y_high)));
      previous = std::make_pair(y_of(low), y_of(high));
    }
  }
}

// ---- progress ----

class MeasurementPreviewDialog::ProgressBarSink final : public ProgressSink {
 public:
  explicit ProgressBarSink(QProgressBar* bar) : m_pBar(bar) {}
  void SetRange(std::int32_t low, std::int32_t high) override { m_pBar->setRange(low, high); }
  void SetPos(std::int32_t pos) override { m_pBar->setValue(pos); }
  void SetStep(std::int32_t step) override { m_nStep = step; }
  void StepIt() override {
    m_pBar->setValue(std::min(m_pBar->maximum(), m_pBar->value() + m_nStep));
  }
  void Show() override { m_pBar->show(); }
  void Hide() override { m_pBar->hide(); }

 private:
  QProgressBar* m_pBar;
  std::int32_t m_nStep = 1;
};

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

// ---- the dialog ----

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
  m_strPath = WithSlash(m_strFolder) + m_strFileName;
  BuildControls();
}

MeasurementPreviewDialog::~MeasurementPreviewDialog() = default;

std::string MeasurementPreviewDialog::WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

void MeasurementPreviewDialog::BuildControls() {
  setWindowTitle(QStringLiteral("Preview - ") + Utf8(m_strFileName));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);

  m_pTitle = new QLabel(Utf8(m_strFileName), this);
  QFont title_font = m_pTitle->font();
  title_font.setBold(true);
  m_pTitle->setFont(title_font);
  layout->addWidget(m_pTitle);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setTextVisible(false);
  m_pProgress->hide();
  layout->addWidget(m_pProgress);
  m_progress = std::make_unique<ProgressBarSink>(m_pProgress);

  m_pNumbers = new QLabel(this);
  m_pNumbers->setTextFormat(Qt::RichText);
  m_pNumbers->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_pNumbers);

  m_pPlot = new MeasurementPlotWidget(this);
  layout->addWidget(m_pPlot, 1);

  auto* exposure = new QGridLayout;
  exposure->addWidget(new QLabel(QStringLiteral("Daily exposure time (hours):"), this), 0, 0);
  m_pHours = new QLineEdit(this);
  m_pHours->setMaximumWidth(80);
  m_pHours->setToolTip(QStringLiteral("The time the worker is exposed per day, 0 < T <= 24"));
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
  m_pWarning->setStyleSheet(QStringLiteral("color: #B26A00;"));
  m_pWarning->hide();
  layout->addWidget(m_pWarning);

  auto* buttons = new QHBoxLayout;
  m_pExportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
  m_pExportWav = new QPushButton(QStringLiteral("Export WAV..."), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
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

  const std::string hours = m_app.CachedGetProfileString(kSettingsSection, kExposureHoursEntry);
  m_pHours->setText(Utf8(hours.empty() ? kDefaultExposureHours : std::string_view(hours)));
  connect(m_pHours, &QLineEdit::textChanged, this, [this](const QString& text) {
    // Only a time that reads back is kept, as text in the C locale.
    if (ParseExposureHours(text.toStdString())) {
      m_app.CachedWriteProfileString(kSettingsSection, kExposureHoursEntry, text.toStdString());
    }
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
    m_pNumbers->setText(read == ReadOutcome::kStopped ? QStringLiteral("The reading was stopped.")
                                                      : QStringLiteral("The file cannot be read."));
    m_pPlot->SetPlot(nullptr);
    UpdateExposure();
    return false;
  }
  m_bLoaded = true;
  m_numbers = ComputeNumbers(m_content->document, m_content->rows);
  m_plot = ComputePlotData(m_content->document, m_content->rows, kMaxPlotColumns);
  m_pPlot->SetPlot(&m_plot);
  ShowNumbers();
  if (m_content->parse.IsError()) {
    m_pTitle->setText(Utf8(m_strFileName) +
                      QStringLiteral(" (not valid JSON: read as an empty measurement)"));
  }
  UpdateExposure();
  return true;
}

void MeasurementPreviewDialog::ShowNumbers() {
  const MeasurementNumbers& n = m_numbers;
  QString html = QStringLiteral("<table cellspacing='0' cellpadding='2'>");
  const auto row = [&html](const QString& label, const QString& value) {
    html += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                .arg(label.toHtmlEscaped(), value.toHtmlEscaped());
  };
  row(QStringLiteral("Rows"), QString::number(n.rows));
  row(QStringLiteral("Mode"), Utf8(ModeName(n.mode)));
  constexpr std::array<const char*, 4> kAxes = {"X", "Y", "Z", "Sum"};
  for (std::size_t axis = 0; axis < 4; ++axis) {
    if (!n.axes) {
      row(QString::fromLatin1(kAxes[axis]), QStringLiteral("no rows"));
      continue;
    }
    const AxisNumbers& a = (*n.axes)[axis];
    QString value = QStringLiteral("rms ") + Number(a.rms) + kMs2 + QStringLiteral(", peak ") +
                    Number(a.peak) + kMs2;
    if (a.vdv) value += QStringLiteral(", vdv ") + Number(*a.vdv) + QStringLiteral(" m/s^1.75");
    row(QString::fromLatin1(kAxes[axis]), value);
  }
  row(QStringLiteral("kx, ky, kz"), Number(n.sumFactors[0]) + QStringLiteral(", ") +
                                        Number(n.sumFactors[1]) + QStringLiteral(", ") +
                                        Number(n.sumFactors[2]));
  const auto limit = [](double value) {
    return value > 0.0 ? Number(value) + kMs2 : QStringLiteral("not set");
  };
  row(QStringLiteral("Exposure action value"), limit(n.exposureAction));
  row(QStringLiteral("Exposure limit value"), limit(n.exposureLimit));
  html += QStringLiteral("</table>");
  m_pNumbers->setText(html);
}

std::optional<double> MeasurementPreviewDialog::ExposureHours() const {
  return ParseExposureHours(m_pHours->text().toStdString());
}

void MeasurementPreviewDialog::SetExposureHoursText(const QString& text) {
  m_pHours->setText(text);
}

void MeasurementPreviewDialog::UpdateExposure() {
  const std::optional<double> hours = ExposureHours();
  m_pHours->setStyleSheet(hours ? QString() : QStringLiteral("color: #C62828;"));
  QString a8_text;
  ExposureVerdict verdict = ExposureVerdict::kNone;
  QString verdict_text;
  if (!m_bLoaded) {
    a8_text.clear();
  } else if (!hours) {
    a8_text = QStringLiteral("A(8): enter 0 < T <= 24 hours");
  } else if (m_numbers.mode == OperatingMode::kVibration) {
    a8_text = QStringLiteral("A(8): none in vibration mode");
  } else if (const auto a8 = DailyExposure(m_numbers, *hours)) {
    a8_text = QStringLiteral("A(8) = ") + Number(*a8) + kMs2;
    verdict = JudgeExposure(*a8, m_numbers.exposureAction, m_numbers.exposureLimit);
    verdict_text = Utf8(rqx340::VerdictText(verdict));
    if (verdict == ExposureVerdict::kNone)
      verdict_text = QStringLiteral("no action or limit value set");
  } else {
    a8_text = QStringLiteral("A(8): none without rows");
  }
  m_pA8->setText(a8_text);
  m_pVerdict->setText(verdict_text);
  m_pVerdict->setStyleSheet(QStringLiteral("color: %1;").arg(VerdictColour(verdict).name()));

  const bool warn =
      m_bLoaded && m_numbers.mode == OperatingMode::kWholeBody && WholeBodyFactorsDiffer(m_numbers);
  m_pWarning->setText(
      warn ? QStringLiteral("The file's sum factors (%1, %2, %3) differ from 1.4, 1.4, 1.0. A(8) "
                            "uses 1.4, 1.4, 1.0; the meter's own sum is weighted otherwise.")
                 .arg(Number(m_numbers.sumFactors[0]), Number(m_numbers.sumFactors[1]),
                      Number(m_numbers.sumFactors[2]))
           : QString());
  m_pWarning->setVisible(warn);
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
    ShowFailure(QStringLiteral("The CSV file could not be written: ") + Utf8(result.error));
  }
  return false;
}

bool MeasurementPreviewDialog::ExportWavTo(const std::string& out, MessagePump& pump) {
  const ExportResult result = WhileBusy(pump, [&](MessagePump& stopping) {
    return ExportWav(m_strPath, out, *m_progress, stopping);
  });
  if (result.status == ExportStatus::kWritten) return true;
  if (result.status != ExportStatus::kStopped) {
    QString why = Utf8(result.error);
    if (why.isEmpty()) why = QStringLiteral("read error");
    ShowFailure(QStringLiteral("The WAV file could not be written: ") + why);
  }
  return false;
}

void MeasurementPreviewDialog::OnExportCsv() {
  const QString out = QFileDialog::getSaveFileName(
      this, QStringLiteral("Export CSV"),
      Utf8(m_strFolder) + QStringLiteral("/") + QFileInfo(Utf8(m_strFileName)).completeBaseName() +
          QStringLiteral(".csv"),
      QStringLiteral("CSV files (*.csv)"));
  if (!out.isEmpty()) ExportCsvTo(out.toStdString(), m_app.Pump());
}

void MeasurementPreviewDialog::OnExportWav() {
  const QString out = QFileDialog::getSaveFileName(
      this, QStringLiteral("Export WAV"),
      Utf8(m_strFolder) + QStringLiteral("/") + QFileInfo(Utf8(m_strFileName)).completeBaseName() +
          QStringLiteral(".wav"),
      QStringLiteral("WAV files (*.wav)"));
  if (!out.isEmpty()) ExportWavTo(out.toStdString(), m_app.Pump());
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
