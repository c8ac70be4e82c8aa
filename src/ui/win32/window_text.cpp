// Window texts through the wide API.
#include "ui/win32/window_text.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return win32::Utf8(text);
}

void SetText(HWND window, std::string_view text) {
  SetWindowTextW(window, win32::Wide(text).c_str());
}

SIZE FontMetrics(HWND window, HFONT font) {
  const HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return {metrics.tmAveCharWidth, metrics.tmHeight};
}

}  // namespace rqx340
