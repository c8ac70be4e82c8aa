// The preview of one measurement without its window: it reads the file once
// and keeps it (the numbers, the plot and the CSV export all come from that
// one reading), holds the daily exposure time in the settings, runs the
// exports, and decides when the window may close: while a reading or an export
// pumps messages, a close request stops the work and the window closes after
// it. Each front end shows what it says.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_settings.h"
#include "app/measurement_preview_texts.h"
#include "base/progress.h"
#include "import/convert_file.h"
#include "import/export_files.h"
#include "import/measurement_numbers.h"
#include "import/plot_axes.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

class MeasurementPreviewState {
 public:
  // The file `folder` + `file_name`; the exposure time is kept in `settings`;
  // the texts are those of `strings`, which must outlive the state.
  MeasurementPreviewState(DialogSettings& settings, const StringTable& strings, std::string folder,
                          std::string file_name);
  ~MeasurementPreviewState();
  MeasurementPreviewState(const MeasurementPreviewState&) = delete;
  MeasurementPreviewState& operator=(const MeasurementPreviewState&) = delete;

  const std::string& FileName() const { return m_strFileName; }
  const std::string& Path() const { return m_strPath; }
  // The window's caption, with the file name.
  std::string Caption() const;
  // The heading: the file name, and a note when it is not valid JSON.
  std::string Heading() const;

  // Parses the file with `progress`, pumping through `pump`. kRead when the
  // numbers and the plot are there; otherwise NotLoadedText says why.
  ReadOutcome Load(ProgressSink& progress, MessagePump& pump);
  bool Loaded() const { return m_bLoaded; }
  // What stands in place of the numbers after a failed Load.
  std::string NotLoadedText() const;
  const MeasurementNumbers& Numbers() const { return m_numbers; }
  const PlotData& Plot() const { return m_plot; }
  // What the plot's x axis stands for, and the user's time picture for its
  // times of day; both read by Load.
  const PlotTimeBase& TimeBase() const { return m_timeBase; }
  const LocalePictures& Pictures() const { return m_pictures; }

  // The exposure field's first text: the kept time, else the default.
  std::string InitialExposureText() const;
  // The user typed `text`: a time that reads back is kept in the settings.
  void OnExposureTextChanged(std::string_view text);
  // The A(8) texts for the field's `text`.
  ExposureTexts Exposure(std::string_view text) const;

  bool CanExportCsv() const { return m_content != nullptr && !m_bBusy; }
  bool CanExportWav() const;
  // Where a save dialog for `extension` (".csv") starts: beside the file.
  std::string SuggestedExportPath(std::string_view extension) const;
  ExportResult ExportCsv(const std::string& out, ProgressSink& progress, MessagePump& pump);
  ExportResult ExportWav(const std::string& out, ProgressSink& progress, MessagePump& pump);
  // The message for an export that failed (`failed`: its string id, "%1" the
  // reason); empty for one written or stopped.
  std::string ExportFailureText(int failed, const ExportResult& result) const;

  // A reading or an export is pumping messages.
  bool Busy() const { return m_bBusy; }
  // The user asked to close the window: true when it may close now; while
  // busy the work stops and the window closes after it (TakeCloseAfterWork).
  bool RequestClose();
  // True once after work during which a close was asked for.
  bool TakeCloseAfterWork();

 private:
  class StoppingPump;
  template <typename Work>
  auto WhileBusy(MessagePump& pump, Work&& work);

  DialogSettings& m_settings;
  const StringTable& m_strings;
  std::string m_strFolder;
  std::string m_strFileName;
  std::string m_strPath;
  std::unique_ptr<MeasurementContent> m_content;
  ReadOutcome m_readOutcome = ReadOutcome::kReadFailed;
  bool m_bLoaded = false;
  bool m_bBusy = false;
  bool m_bCloseRequested = false;
  bool m_bCloseAfterWork = false;
  MeasurementNumbers m_numbers;
  PlotData m_plot;
  PlotTimeBase m_timeBase;
  LocalePictures m_pictures;
};

}  // namespace rqx340
