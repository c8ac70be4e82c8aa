// The preview's reading, exports and closing.
#include "app/measurement_preview_state.h"

#include <vector>

#include "app/folder_text.h"
#include "base/display_text.h"
#include "measurement/folder_scan.h"
#include "measurement/json_reader.h"
#include "platform/input_file.h"

namespace rqx340 {

// The caller's pump, with the stop flag also set once the user asked to close.
class MeasurementPreviewState::StoppingPump final : public MessagePump {
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
auto MeasurementPreviewState::WhileBusy(MessagePump& pump, Work&& work) {
  StoppingPump stopping(pump, m_bCloseRequested);
  m_bBusy = true;
  const auto result = work(stopping);
  m_bBusy = false;
  if (m_bCloseRequested) {
    m_bCloseRequested = false;
    m_bCloseAfterWork = true;
  }
  return result;
}

MeasurementPreviewState::MeasurementPreviewState(DialogSettings& settings,
                                                 const StringTable& strings, std::string folder,
                                                 std::string file_name)
    : m_settings(settings),
      m_strings(strings),
      m_strFolder(std::move(folder)),
      m_strFileName(std::move(file_name)) {
  m_strPath = WithTrailingSlash(m_strFolder) + m_strFileName;
}

MeasurementPreviewState::~MeasurementPreviewState() = default;

std::string MeasurementPreviewState::Caption() const {
  return FormatString(m_strings.Load(kIdsPreviewCaption), EscapeForDisplay(m_strFileName));
}

std::string MeasurementPreviewState::Heading() const {
  if (m_bLoaded && m_content && m_content->parse.IsError()) {
    return FormatString(m_strings.Load(kIdsNotJsonTitle), EscapeForDisplay(m_strFileName));
  }
  return EscapeForDisplay(m_strFileName);
}

ReadOutcome MeasurementPreviewState::Load(ProgressSink& progress, MessagePump& pump) {
  m_content = std::make_unique<MeasurementContent>();
  m_bLoaded = false;
  m_readOutcome = ReadOutcome::kReadFailed;
  if (auto file = InputFile::Open(m_strPath)) {
    progress.SetPos(0);
    progress.SetStep(1);
    progress.SetRange(0, static_cast<std::int32_t>(file->Size() >> 16));
    progress.Show();
    std::vector<char> buffer(kReadBufferSize);
    m_readOutcome = WhileBusy(pump, [&](MessagePump& stopping) {
      return ReadMeasurementFile(*file, buffer, progress, stopping, *m_content);
    });
    progress.Hide();
  }
  if (m_readOutcome != ReadOutcome::kRead) {
    m_content.reset();
    return m_readOutcome;
  }
  m_bLoaded = true;
  m_numbers = ComputeNumbers(m_content->document, m_content->rows);
  m_plot = ComputePlotData(m_content->document, m_content->rows, kMaxPlotColumns);
  m_timeBase = ReadPlotTimeBase(m_content->document, m_plot.rows);
  m_pictures = UserLocalePictures();
  return m_readOutcome;
}

std::string MeasurementPreviewState::NotLoadedText() const {
  return m_strings.Load(m_readOutcome == ReadOutcome::kStopped ? kIdsReadingStopped
                                                               : kIdsFileNotRead);
}

std::string MeasurementPreviewState::InitialExposureText() const {
  const std::string& hours = m_settings.ExposureHours();
  return hours.empty() ? std::string(kDefaultExposureHours) : hours;
}

void MeasurementPreviewState::OnExposureTextChanged(std::string_view text) {
  // Only a time that reads back is kept, as text in the C locale.
  if (ParseExposureHours(text)) m_settings.SetExposureHours(text);
}

ExposureTexts MeasurementPreviewState::Exposure(std::string_view text) const {
  return DescribeExposure(m_bLoaded ? &m_numbers : nullptr, ParseExposureHours(text), m_strings);
}

bool MeasurementPreviewState::CanExportWav() const {
  return m_content != nullptr && !m_bBusy && !RawDataFileOf(m_strPath).empty();
}

std::string MeasurementPreviewState::SuggestedExportPath(std::string_view extension) const {
  std::string base = m_strFileName;
  if (const auto dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);
  // The save dialogs take folders as text: beside the file when its folder can
  // be named so, else in the nearest one that can.
  return WithTrailingSlash(ChooserStartFolder(m_strFolder)) + base + std::string(extension);
}

ExportResult MeasurementPreviewState::ExportCsv(const std::string& out, ProgressSink& progress,
                                                MessagePump& pump) {
  if (!m_content) return {ExportStatus::kNotReadable, {}, {}};
  progress.Show();
  const ExportResult result = WhileBusy(pump, [&](MessagePump& stopping) {
    // A FIFO without a reader is refused at once: waiting for one would hang
    // the thread that draws every window of the program.
    return WriteCsvFile(m_content->document, m_content->rows, m_strFileName, out, progress,
                        stopping, ReaderWait::kRefuse);
  });
  progress.Hide();
  return result;
}

ExportResult MeasurementPreviewState::ExportWav(const std::string& out, ProgressSink& progress,
                                                MessagePump& pump) {
  return WhileBusy(pump, [&](MessagePump& stopping) {
    return rqx340::ExportWav(m_strPath, out, progress, stopping, ReaderWait::kRefuse);
  });
}

std::string MeasurementPreviewState::ExportFailureText(int failed,
                                                       const ExportResult& result) const {
  if (result.status == ExportStatus::kWritten || result.status == ExportStatus::kStopped) return {};
  return FormatString(m_strings.Load(failed),
                      result.error.empty() ? m_strings.Load(kIdsReadError)
                                           : EscapeForDisplay(result.error));
}

bool MeasurementPreviewState::RequestClose() {
  if (!m_bBusy) return true;
  m_bCloseRequested = true;
  return false;
}

bool MeasurementPreviewState::TakeCloseAfterWork() {
  const bool close = m_bCloseAfterWork;
  m_bCloseAfterWork = false;
  return close;
}

}  // namespace rqx340
