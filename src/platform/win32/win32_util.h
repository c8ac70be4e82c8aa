// Small helpers shared by the Win32 implementations of the platform layer: the
// HANDLE inside a NativeHandle, UTF-8 and UTF-16 names, error texts.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/native_handle.h"

namespace rqx340::win32 {

// On Windows a NativeHandle holds a HANDLE; INVALID_HANDLE_VALUE (-1) is none.
inline HANDLE HandleOf(NativeHandle handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}
inline HANDLE HandleOf(const UniqueNativeHandle& handle) { return HandleOf(handle.Get()); }
// Takes ownership of a HANDLE; null (what CreateMutexW and friends fail with)
// and INVALID_HANDLE_VALUE both become none.
inline UniqueNativeHandle OwnHandle(HANDLE handle) {
  if (handle == nullptr) handle = INVALID_HANDLE_VALUE;
  return UniqueNativeHandle(static_cast<NativeHandle>(reinterpret_cast<std::intptr_t>(handle)));
}

// Names inside are UTF-8; the system takes UTF-16. Broken UTF-8 becomes U+FFFD
// and so never names an existing file by accident.
inline std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

inline std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

// The system's text for an error code, in English where the system has it.
inline std::string ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) {
    text = Utf8(std::wstring_view(buffer, length));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
      text.pop_back();
    }
  }
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

inline std::string LastErrorText() { return ErrorText(GetLastError()); }

}  // namespace rqx340::win32
