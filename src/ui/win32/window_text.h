// Texts and font sizes of windows as the Win32 front end's windows use them:
// every text in and out is UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "ui/win32/windows_api.h"

namespace rqx340 {

std::string WindowText(HWND window);
void SetText(HWND window, std::string_view text);

// `font`'s average character width (cx) and height (cy) in pixels on `window`'s screen.
SIZE FontMetrics(HWND window, HFONT font);

}  // namespace rqx340
