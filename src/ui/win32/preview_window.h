// The preview of one measurement on Win32: its numbers, a plot of its rms over
// the rows drawn with GDI, the daily exposure A(8) with its verdict, and the CSV
// and WAV exports with the system's save dialog. A window of its own, owned by
// the main dialog and opened from the list. What it reads, says and allows is
// the preview state's (application layer); this window lays it out.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/measurement_preview_state.h"
#include "app/preview_plot_layout.h"
#include "app/rqx340_app.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/progress_bar_sink.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// The plot: a child window that draws the application layer's plot geometry.
class PreviewPlotWnd {
 public:
  PreviewPlotWnd() = default;
  PreviewPlotWnd(const PreviewPlotWnd&) = delete;
  PreviewPlotWnd& operator=(const PreviewPlotWnd&) = delete;

  // Its texts are those of `strings`, which must outlive the window.
  bool Create(HWND parent, HFONT font, const StringTable& strings);
  HWND GetSafeHwnd() const { return m_hWnd; }
  // The data drawn, which must outlive the window or be replaced; none for an
  // empty plot.
  void SetPlot(const PlotData* plot);
  // The same on the time axis `base`, with the action and limit values of
  // `numbers` (null: none, else it must outlive the window or be replaced) and
  // the times of day in the picture of `pictures`.
  void SetPlot(const PlotData* plot, const PlotTimeBase& base, const MeasurementNumbers* numbers,
               const LocalePictures& pictures);
  const PlotData* Plot() const { return m_pPlot; }
  // The frame (axes, ticks, lines) as Draw lays it out over `client` in `dc`.
  PlotFrame Frame(HDC dc, const RECT& client) const;
  // Draws the plot into `dc` over `client`: the window's paint, and tests.
  void Draw(HDC dc, const RECT& client) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND m_hWnd = nullptr;
  HFONT m_hFont = nullptr;
  const StringTable* m_pStrings = nullptr;
  const PlotData* m_pPlot = nullptr;
  const MeasurementNumbers* m_pNumbers = nullptr;
  PlotTimeBase m_timeBase;
  LocalePictures m_pictures;
};

class MeasurementPreviewWindow {
 public:
  MeasurementPreviewWindow(CRQX340App& app, Win32MessageLoop& loop, std::string folder,
                           std::string file_name);
  ~MeasurementPreviewWindow();
  MeasurementPreviewWindow(const MeasurementPreviewWindow&) = delete;
  MeasurementPreviewWindow& operator=(const MeasurementPreviewWindow&) = delete;

  // Creates the window, owned by `owner`, and shows it. `closed` runs once the
  // window is gone (after Close or the close box); it must not delete this.
  bool Create(HWND owner, std::function<void()> closed);
  // Parses the file with the window's progress bar, pumping through `pump`.
  // False when the file cannot be read or the reading was stopped; the window
  // then says so in place of the numbers.
  bool Load(MessagePump& pump);
  bool IsOpen() const { return m_hWnd != nullptr; }
  HWND GetSafeHwnd() const { return m_hWnd; }
  // The main dialog's import disables the preview meanwhile.
  void Enable(bool enabled);
  // Esc, Close and the close box: the window goes, or, while a reading or an
  // export pumps messages, the work stops and the window goes after it.
  void Close();
  // Destroys the window at once (at shutdown).
  void Destroy();

  const MeasurementNumbers& Numbers() const { return m_state.Numbers(); }
  const PlotData& Plot() const { return m_state.Plot(); }
  const PreviewPlotWnd& PlotWindow() const { return m_plot; }
  // The daily exposure time as the field holds it; none when it is not valid.
  std::optional<double> ExposureHours() const;
  void SetExposureHoursText(const std::string& text);
  std::string A8Text() const;
  std::string VerdictText() const;
  std::string WarningText() const;
  std::string NumbersText() const;

  // The exports with a given OUT, as the buttons run them after their save
  // dialog; false after showing why they failed.
  bool ExportCsvTo(const std::string& out, MessagePump& pump);
  bool ExportWavTo(const std::string& out, MessagePump& pump);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void Layout();
  void UpdateExposure();
  void AfterWork();
  // The save dialog for an export; the chosen path, or empty.
  std::string AskExportPath(std::string_view title, std::string_view files,
                            std::string_view extension);
  void ShowFailure(const std::string& text);
  HWND Control(int id) const { return GetDlgItem(m_hWnd, id); }
  std::string Text(int id) const { return m_app.Strings().Load(id); }

  CRQX340App& m_app;
  Win32MessageLoop& m_loop;
  MeasurementPreviewState m_state;
  HWND m_hWnd = nullptr;
  HFONT m_hFont = nullptr;
  HFONT m_hBoldFont = nullptr;
  PreviewPlotWnd m_plot;
  ProgressBarSink m_progress;
  ExposureTexts m_exposure;
  bool m_bHoursValid = true;
  std::function<void()> m_closed;
};

}  // namespace rqx340
