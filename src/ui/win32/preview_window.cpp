// The preview window and its GDI plot.
#include "ui/win32/preview_window.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/main_dialog_template.h"
#include "app/preview_plot_layout.h"
#include "platform/win32/win32_util.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_text.h"

namespace rqx340 {

namespace {

constexpr wchar_t kPreviewClass[] = L"rqx340.Preview";
constexpr wchar_t kPlotClass[] = L"rqx340.Plot";

enum ControlId : int {
  kIdTitle = 100,
  kIdProgress,
  kIdNumbers,
  kIdHoursLabel,
  kIdHours,
  kIdA8,
  kIdVerdict,
  kIdWarning,
  kIdExportCsv,
  kIdExportWav,
};

COLORREF Colour(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The plot's frame, grid and labels, as the Linux preview draws them.
constexpr COLORREF kFrameColour = RGB(0xBD, 0xBD, 0xBD);
constexpr COLORREF kGridColour = RGB(0xEC, 0xEC, 0xEC);
constexpr COLORREF kLabelColour = RGB(0x61, 0x61, 0x61);
constexpr COLORREF kSecondLabelColour = RGB(0x90, 0x90, 0x90);

int TextWidth(HDC dc, std::string_view text) {
  const std::wstring wide = win32::Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

void DrawTextIn(HDC dc, std::string_view text, RECT rect, UINT format) {
  std::wstring wide = win32::Wide(text);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &rect, format | DT_SINGLELINE);
}

}  // namespace

// ---------------------------------------------------------------------------
// PreviewPlotWnd

bool PreviewPlotWnd::Create(HWND parent, HFONT font, const StringTable& strings) {
  static const ATOM registered = [] {
    WNDCLASSW window_class{};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kPlotClass;
    return RegisterClassW(&window_class);
  }();
  if (registered == 0) return false;
  m_hFont = font;
  m_pStrings = &strings;
  m_hWnd = CreateWindowExW(0, kPlotClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (m_hWnd == nullptr) return false;
  SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void PreviewPlotWnd::SetPlot(const PlotData* plot) {
  SetPlot(plot, PlotTimeBase{}, nullptr, LocalePictures{});
}

void PreviewPlotWnd::SetPlot(const PlotData* plot, const PlotTimeBase& base,
                             const MeasurementNumbers* numbers, const LocalePictures& pictures) {
  m_pPlot = plot;
  m_timeBase = base;
  m_pNumbers = numbers;
  m_pictures = pictures;
  InvalidateRect(m_hWnd, nullptr, FALSE);
}

PlotFrame PreviewPlotWnd::Frame(HDC dc, const RECT& client) const {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const PlotFontMetrics measure{[dc](std::string_view text) { return TextWidth(dc, text); },
                                static_cast<int>(metrics.tmHeight)};
  const StringTable& strings = m_pStrings != nullptr ? *m_pStrings : EnglishStrings();
  return LayOutPlotFrame(m_pPlot, m_pNumbers, m_timeBase,
                         {0, 0, static_cast<int>(client.right), static_cast<int>(client.bottom)},
                         measure, m_pictures, strings);
}

LRESULT CALLBACK PreviewPlotWnd::WindowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  auto* plot = reinterpret_cast<PreviewPlotWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (plot == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(window, &paint);
      RECT client{};
      GetClientRect(window, &client);
      // Drawn off screen, then copied: no flicker while the window is sized.
      const HDC memory = CreateCompatibleDC(dc);
      const HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1),
                                                    std::max<LONG>(client.bottom, 1));
      const HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
      plot->Draw(memory, client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old_bitmap);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      plot->m_hWnd = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void PreviewPlotWnd::Draw(HDC dc, const RECT& client) const {
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const HGDIOBJ old_font =
      SelectObject(dc, m_hFont != nullptr ? m_hFont : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int line = metrics.tmHeight;
  const StringTable& strings = m_pStrings != nullptr ? *m_pStrings : EnglishStrings();
  const PlotFrame plot_frame = Frame(dc, client);
  const Rect& area = plot_frame.area;
  const std::optional<PlotLayout> layout = LayOutPlot(m_pPlot, area, strings, plot_frame.y.top);
  const auto solid_line = [dc](COLORREF colour, int x1, int y1, int x2, int y2) {
    const HPEN pen = CreatePen(PS_SOLID, 1, colour);
    const HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, previous);
    DeleteObject(pen);
  };
  const auto frame_rect = [&] {
    const HPEN frame = CreatePen(PS_SOLID, 1, kFrameColour);
    const HGDIOBJ old_pen = SelectObject(dc, frame);
    const HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, area.left, area.top, area.right, area.bottom);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(frame);
  };

  // The unit over the y labels.
  SetTextColor(dc, kLabelColour);
  DrawTextIn(dc, plot_frame.y_title, {0, 0, area.left + (area.right - area.left) / 2, area.top - 2},
             DT_LEFT | DT_VCENTER);
  if (!layout) {
    frame_rect();
    SetTextColor(dc, RGB(0x80, 0x80, 0x80));
    DrawTextIn(dc, strings.Load(kIdsPlotNoRows), {area.left, area.top, area.right, area.bottom},
               DT_CENTER | DT_VCENTER);
    SelectObject(dc, old_font);
    return;
  }

  // Grid lines and ticks, under the traces.
  for (const AxisTick& tick : plot_frame.y.ticks) {
    const int y = static_cast<int>(std::lround(tick.position));
    solid_line(kGridColour, area.left, y, area.right, y);
    solid_line(kFrameColour, area.left - kPlotTickLength, y, area.left, y);
    SetTextColor(dc, kLabelColour);
    DrawTextIn(dc, tick.label,
               {0, y - line / 2, area.left - kPlotTickLength - 3, y - line / 2 + line},
               DT_RIGHT | DT_VCENTER);
  }
  const int labels_top = area.bottom + kPlotTickLength + 2;
  for (const AxisTick& tick : plot_frame.x.ticks) {
    const int x = static_cast<int>(std::lround(tick.position));
    solid_line(kGridColour, x, area.top, x, area.bottom);
    solid_line(kFrameColour, x, area.bottom, x, area.bottom + kPlotTickLength);
    const int half = TextWidth(dc, tick.label) / 2 + 1;
    SetTextColor(dc, kLabelColour);
    DrawTextIn(dc, tick.label, {x - half, labels_top, x + half, labels_top + line}, DT_CENTER);
    if (!tick.secondLabel.empty()) {
      const int second_half = TextWidth(dc, tick.secondLabel) / 2 + 1;
      SetTextColor(dc, kSecondLabelColour);
      DrawTextIn(dc, tick.secondLabel,
                 {x - second_half, labels_top + line, x + second_half, labels_top + 2 * line},
                 DT_CENTER);
    }
  }
  SetTextColor(dc, kLabelColour);
  DrawTextIn(dc, plot_frame.x.title,
             {area.left, client.bottom - line - 2, area.right, client.bottom - 2}, DT_CENTER);
  frame_rect();
  const int top = area.top;

  // The legend, top right.
  const std::array<std::string, 4> names = SeriesNames(strings);
  int legend_x = area.right - 1;
  for (std::size_t s = names.size(); s-- > 0;) {
    legend_x -= TextWidth(dc, names[s]) + 24;
    const HPEN pen = CreatePen(PS_SOLID, 2, Colour(kSeriesColours[s]));
    const HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, legend_x, top / 2, nullptr);
    LineTo(dc, legend_x + 14, top / 2);
    SelectObject(dc, previous);
    DeleteObject(pen);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextIn(dc, names[s],
               {legend_x + 18, top / 2 - line / 2, legend_x + 400, top / 2 - line / 2 + line},
               DT_LEFT | DT_VCENTER);
  }

  const HRGN clip = CreateRectRgn(area.left, area.top, area.right, area.bottom);
  SelectClipRgn(dc, clip);
  const auto at = [](double value) { return static_cast<int>(std::lround(value - 0.5)); };
  for (std::size_t s = 0; s < layout->traces.size(); ++s) {
    const PlotTrace& trace = layout->traces[s];
    const HPEN pen = CreatePen(PS_SOLID, trace.lines.empty() ? 1 : 2, Colour(kSeriesColours[s]));
    const HGDIOBJ previous = SelectObject(dc, pen);
    for (const std::vector<PlotPoint>& points : trace.lines) {
      std::vector<POINT> polyline;
      polyline.reserve(points.size());
      for (const PlotPoint& point : points) polyline.push_back({at(point.x), at(point.y)});
      if (polyline.size() == 1) polyline.push_back({polyline[0].x + 1, polyline[0].y});
      Polyline(dc, polyline.data(), static_cast<int>(polyline.size()));
    }
    for (const auto& [from, to] : trace.strokes) {
      // The end point is left out by LineTo: one pixel further.
      MoveToEx(dc, at(from.x), at(from.y), nullptr);
      LineTo(dc, at(to.x), at(to.y) - 1);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);

  // The action and limit values over the traces, each labelled at its right end
  // on a white ground, so the traces under it do not hide it.
  for (const ReferenceLine& reference : plot_frame.lines) {
    const COLORREF colour = Colour(VerdictColour(reference.limit ? ExposureVerdict::kAboveLimit
                                                                 : ExposureVerdict::kAboveAction));
    const int y = static_cast<int>(std::lround(reference.position));
    const HPEN pen = CreatePen(PS_DASH, 1, colour);
    const HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, area.left, y, nullptr);
    LineTo(dc, area.right, y);
    SelectObject(dc, previous);
    DeleteObject(pen);
    const int label_width = TextWidth(dc, reference.label) + 6;
    RECT box{area.right - 4 - label_width, std::max(area.top, y - line - 1), area.right - 4, 0};
    box.bottom = box.top + line;
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, colour);
    DrawTextIn(dc, reference.label, box, DT_CENTER | DT_VCENTER);
  }
  SelectObject(dc, old_font);
}

// ---------------------------------------------------------------------------
// MeasurementPreviewWindow

MeasurementPreviewWindow::MeasurementPreviewWindow(CRQX340App& app, Win32MessageLoop& loop,
                                                   std::string folder, std::string file_name)
    : m_app(app),
      m_loop(loop),
      m_state(app.Settings(), app.Strings(), std::move(folder), std::move(file_name)) {}

MeasurementPreviewWindow::~MeasurementPreviewWindow() {
  Destroy();
  if (m_hBoldFont != nullptr) DeleteObject(m_hBoldFont);
}

bool MeasurementPreviewWindow::Create(HWND owner, std::function<void()> closed) {
  static const ATOM registered = RegisterToolWindowClass(kPreviewClass, WindowProc);
  if (registered == 0) return false;
  m_closed = std::move(closed);
  // The dialog's font, whatever the language library made it.
  m_hFont =
      owner != nullptr ? reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0)) : nullptr;
  if (m_hFont == nullptr) m_hFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW bold{};
  GetObjectW(m_hFont, sizeof bold, &bold);
  bold.lfWeight = FW_BOLD;
  m_hBoldFont = CreateFontIndirectW(&bold);

  const SIZE unit = FontMetrics(owner, m_hFont);
  m_hWnd =
      CreateWindowExW(WS_EX_CONTROLPARENT, kPreviewClass, win32::Wide(m_state.Caption()).c_str(),
                      WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                      unit.cx * 100, unit.cy * 36, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (m_hWnd == nullptr) return false;
  CreateControls();
  m_loop.AddDialog(m_hWnd);
  Layout();
  ShowWindow(m_hWnd, SW_SHOW);
  UpdateWindow(m_hWnd);
  return true;
}

void MeasurementPreviewWindow::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto make = [&](const wchar_t* cls, std::string_view text, DWORD style, int id,
                        DWORD ex_style = 0) {
    const HWND control = CreateWindowExW(
        ex_style, cls, win32::Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_hWnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    return control;
  };
  const HWND title = make(WC_STATICW, m_state.Heading(), SS_LEFT | SS_NOPREFIX, kIdTitle);
  SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(m_hBoldFont), FALSE);
  m_progress.Attach(make(PROGRESS_CLASSW, "", 0, kIdProgress));
  m_progress.Hide();
  make(WC_EDITW, "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
       kIdNumbers);
  // Tab stops so the values stand in one column.
  const int tab = 96;
  SendMessageW(Control(kIdNumbers), EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
  m_plot.Create(m_hWnd, m_hFont, m_app.Strings());
  // A text of the language with its key letter, which moves to the field.
  make(WC_STATICW, Text(kIdsExposureHoursLabel), SS_LEFT, kIdHoursLabel);
  make(WC_EDITW, m_state.InitialExposureText(), ES_AUTOHSCROLL | WS_TABSTOP, kIdHours,
       WS_EX_CLIENTEDGE);
  make(WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kIdA8);
  const HWND verdict = make(WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kIdVerdict);
  SendMessageW(verdict, WM_SETFONT, reinterpret_cast<WPARAM>(m_hBoldFont), FALSE);
  make(WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kIdWarning);
  make(WC_BUTTONW, Text(kIdsExportCsvButton), BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
       kIdExportCsv);
  make(WC_BUTTONW, Text(kIdsExportWavButton), BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
       kIdExportWav);
  make(WC_BUTTONW, Text(kIdcClose), BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL);
  UpdateExposure();
}

void MeasurementPreviewWindow::Layout() {
  if (m_hWnd == nullptr) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const SIZE unit = FontMetrics(m_hWnd, m_hFont);
  const int margin = unit.cx * 2;
  const int line = unit.cy;
  const int width = std::max<int>(client.right - 2 * margin, 10);
  int y = margin;
  const auto place = [&](int id, int x, int top, int w, int h) {
    SetWindowPos(Control(id), nullptr, x, top, std::max(w, 0), std::max(h, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(kIdTitle, margin, y, width, line);
  y += line + line / 2;
  place(kIdProgress, margin, y, width, line / 2 + 2);
  y += line / 2 + 2 + line / 2;
  const int numbers_height = line * 9 + 6;
  place(kIdNumbers, margin, y, width, numbers_height);
  y += numbers_height + line / 2;

  const int button_height = line * 7 / 4;
  const int buttons_top = client.bottom - margin - button_height;
  const int button_width = unit.cx * 16;
  place(kIdExportCsv, margin, buttons_top, button_width, button_height);
  place(kIdExportWav, margin + button_width + unit.cx, buttons_top, button_width, button_height);
  place(IDCANCEL, client.right - margin - unit.cx * 12, buttons_top, unit.cx * 12, button_height);
  const bool warning = !m_exposure.warning.empty();
  // Two lines for each warning, which wraps.
  const int warnings = warning ? 1 + static_cast<int>(std::count(m_exposure.warning.begin(),
                                                                 m_exposure.warning.end(), '\n'))
                               : 0;
  const int warning_height = warning ? line * 2 * warnings + 2 : 0;
  const int warning_top = buttons_top - line / 2 - warning_height;
  place(kIdWarning, margin, warning_top, width, warning_height);
  ShowWindow(Control(kIdWarning), warning ? SW_SHOW : SW_HIDE);
  const int row_height = line * 3 / 2;
  const int exposure_top = warning_top - (warning ? line / 2 : 0) - row_height;
  const int label_width = unit.cx * 30;
  place(kIdHoursLabel, margin, exposure_top + line / 4, label_width, line);
  place(kIdHours, margin + label_width, exposure_top, unit.cx * 10, row_height);
  const int a8_left = margin + label_width + unit.cx * 11;
  place(kIdA8, a8_left, exposure_top + line / 4, unit.cx * 24, line);
  place(kIdVerdict, a8_left + unit.cx * 25, exposure_top + line / 4,
        client.right - margin - (a8_left + unit.cx * 25), line);
  SetWindowPos(m_plot.GetSafeHwnd(), nullptr, margin, y, width,
               std::max(exposure_top - line / 2 - y, 10), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MeasurementPreviewWindow::Load(MessagePump& pump) {
  if (m_hWnd == nullptr) return false;
  EnableWindow(Control(kIdExportCsv), FALSE);
  EnableWindow(Control(kIdExportWav), FALSE);
  const ReadOutcome read = m_state.Load(m_progress, pump);
  if (m_hWnd == nullptr) return false;
  if (read != ReadOutcome::kRead) {
    SetText(Control(kIdNumbers), m_state.NotLoadedText());
    m_plot.SetPlot(nullptr);
  } else {
    std::string text;
    for (const NumbersLine& line : NumbersLines(m_state.Numbers(), m_app.Strings())) {
      if (!text.empty()) text += "\r\n";
      text += line.label + ":\t" + line.value;
    }
    SetText(Control(kIdNumbers), text);
    m_plot.SetPlot(&m_state.Plot(), m_state.TimeBase(), &m_state.Numbers(), m_state.Pictures());
    SetText(Control(kIdTitle), m_state.Heading());
  }
  UpdateExposure();
  AfterWork();
  return read == ReadOutcome::kRead;
}

void MeasurementPreviewWindow::AfterWork() {
  if (m_hWnd == nullptr) return;
  EnableWindow(Control(kIdExportCsv), m_state.CanExportCsv());
  EnableWindow(Control(kIdExportWav), m_state.CanExportWav());
  // Closed after the work, never under it.
  if (m_state.TakeCloseAfterWork()) PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

std::optional<double> MeasurementPreviewWindow::ExposureHours() const {
  return ParseExposureHours(WindowText(Control(kIdHours)));
}

void MeasurementPreviewWindow::SetExposureHoursText(const std::string& text) {
  SetText(Control(kIdHours), text);
}

void MeasurementPreviewWindow::UpdateExposure() {
  const std::string hours = WindowText(Control(kIdHours));
  m_bHoursValid = ParseExposureHours(hours).has_value();
  const std::string warning_before = m_exposure.warning;
  m_exposure = m_state.Exposure(hours);
  SetText(Control(kIdA8), m_exposure.a8);
  SetText(Control(kIdVerdict), m_exposure.verdict_text);
  SetText(Control(kIdWarning), m_exposure.warning);
  InvalidateRect(Control(kIdHours), nullptr, TRUE);
  if (warning_before != m_exposure.warning) Layout();
}

std::string MeasurementPreviewWindow::A8Text() const { return WindowText(Control(kIdA8)); }
std::string MeasurementPreviewWindow::VerdictText() const {
  return WindowText(Control(kIdVerdict));
}
std::string MeasurementPreviewWindow::WarningText() const {
  return WindowText(Control(kIdWarning));
}
std::string MeasurementPreviewWindow::NumbersText() const {
  return WindowText(Control(kIdNumbers));
}

void MeasurementPreviewWindow::ShowFailure(const std::string& text) {
  MessageBoxW(m_hWnd, win32::Wide(text).c_str(), win32::Wide(m_state.Caption()).c_str(),
              MB_OK | MB_ICONWARNING);
}

bool MeasurementPreviewWindow::ExportCsvTo(const std::string& out, MessagePump& pump) {
  if (!m_state.CanExportCsv()) return false;
  EnableWindow(Control(kIdExportCsv), FALSE);
  EnableWindow(Control(kIdExportWav), FALSE);
  const ExportResult result = m_state.ExportCsv(out, m_progress, pump);
  AfterWork();
  const std::string failure = m_state.ExportFailureText(kIdsCsvNotWritten, result);
  if (!failure.empty()) ShowFailure(failure);
  return result.status == ExportStatus::kWritten;
}

bool MeasurementPreviewWindow::ExportWavTo(const std::string& out, MessagePump& pump) {
  EnableWindow(Control(kIdExportCsv), FALSE);
  EnableWindow(Control(kIdExportWav), FALSE);
  const ExportResult result = m_state.ExportWav(out, m_progress, pump);
  AfterWork();
  const std::string failure = m_state.ExportFailureText(kIdsWavNotWritten, result);
  if (!failure.empty()) ShowFailure(failure);
  return result.status == ExportStatus::kWritten;
}

std::string MeasurementPreviewWindow::AskExportPath(std::string_view title, std::string_view files,
                                                    std::string_view extension) {
  std::wstring path = win32::Wide(m_state.SuggestedExportPath(extension));
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  path.resize(std::max<std::size_t>(path.size() + 1, 32768), L'\0');
  // "CSV files (*.csv)\0*.csv\0\0": the string table's text names the pattern.
  const std::wstring pattern = L"*" + win32::Wide(extension);
  std::wstring filter = win32::Wide(files);
  filter.push_back(L'\0');
  filter += pattern;
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  const std::wstring wide_title = win32::Wide(title);
  const std::wstring default_extension = win32::Wide(extension.substr(1));
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = m_hWnd;
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = path.data();
  save.nMaxFile = static_cast<DWORD>(path.size());
  save.lpstrTitle = wide_title.c_str();
  save.lpstrDefExt = default_extension.c_str();
  save.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!GetSaveFileNameW(&save)) return {};
  return win32::Utf8(path.c_str());
}

void MeasurementPreviewWindow::Enable(bool enabled) {
  if (m_hWnd != nullptr) EnableWindow(m_hWnd, enabled);
}

void MeasurementPreviewWindow::Close() {
  if (m_hWnd != nullptr) SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void MeasurementPreviewWindow::Destroy() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

LRESULT CALLBACK MeasurementPreviewWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                                      LPARAM lparam) {
  auto* self = WindowOwner<MeasurementPreviewWindow>(window, message, lparam);
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCCREATE) self->m_hWnd = window;
  return self->OnMessage(message, wparam, lparam);
}

LRESULT MeasurementPreviewWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE unit = FontMetrics(m_hWnd, m_hFont);
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {unit.cx * 70, unit.cy * 30};
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDCANCEL:
          Close();
          return 0;
        case kIdExportCsv:
          if (HIWORD(wparam) == BN_CLICKED) {
            const std::string out =
                AskExportPath(Text(kIdsExportCsvTitle), Text(kIdsCsvFilter), ".csv");
            if (!out.empty()) ExportCsvTo(out, m_app.Pump());
          }
          return 0;
        case kIdExportWav:
          if (HIWORD(wparam) == BN_CLICKED) {
            const std::string out =
                AskExportPath(Text(kIdsExportWavTitle), Text(kIdsWavFilter), ".wav");
            if (!out.empty()) ExportWavTo(out, m_app.Pump());
          }
          return 0;
        case kIdHours:
          if (HIWORD(wparam) == EN_CHANGE) {
            m_state.OnExposureTextChanged(WindowText(Control(kIdHours)));
            UpdateExposure();
          }
          return 0;
        default:
          break;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      const HWND control = reinterpret_cast<HWND>(lparam);
      const HDC dc = reinterpret_cast<HDC>(wparam);
      const int id = GetDlgCtrlID(control);
      if (id == kIdVerdict) {
        SetTextColor(dc, Colour(VerdictColour(m_exposure.verdict)));
      } else if (id == kIdWarning) {
        SetTextColor(dc, Colour(kWarningColour));
      } else if (id == kIdHours && !m_bHoursValid) {
        SetTextColor(dc, Colour(kInvalidFieldColour));
      } else {
        break;
      }
      if (message == WM_CTLCOLOREDIT) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      SetBkColor(dc, GetSysColor(COLOR_3DFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
    }
    case WM_CLOSE:
      if (m_state.RequestClose()) DestroyWindow(m_hWnd);
      return 0;
    case WM_DESTROY:
      m_loop.RemoveDialog(m_hWnd);
      return 0;
    case WM_NCDESTROY: {
      SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
      m_hWnd = nullptr;
      if (m_closed) m_closed();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(m_hWnd, message, wparam, lparam);
}

}  // namespace rqx340
