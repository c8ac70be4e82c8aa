// The system's headers as the Win32 front end includes them: the wide (W) names
// (UNICODE, set for the library), no min and max macros. The system's profile
// macros GetProfileInt, GetProfileString and WriteProfileString would rename the
// application's Profile functions of the same names; they are taken back.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
// <windows.h> comes first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <windowsx.h>
// clang-format on

#undef GetProfileInt
#undef GetProfileString
#undef WriteProfileString
