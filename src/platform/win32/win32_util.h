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

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
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

// A name of an object inside a folder: one path component, no stream name,
// nothing Windows cannot name.
inline bool IsObjectName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

// `folder` and `name` with one backslash between them.
inline std::string JoinPath(std::string folder, std::string_view name) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  folder += name;
  return folder;
}

// Opens a folder for the life of the handle: no one may delete or rename it
// meanwhile.
inline UniqueNativeHandle OpenFolderHandle(const std::string& path) {
  return OwnHandle(CreateFileW(Wide(path).c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Writes all of `bytes` at the file's position, or at `offset` when given
// (leaving the position alone is not promised on Windows).
inline Status WriteAll(HANDLE file, std::span<const std::byte> bytes,
                       const std::uint64_t* offset = nullptr) {
  std::uint64_t done = 0;
  while (done < bytes.size()) {
    const auto rest = bytes.size() - static_cast<std::size_t>(done);
    const DWORD want = static_cast<DWORD>(rest < (1u << 30) ? rest : (1u << 30));
    OVERLAPPED at{};
    if (offset != nullptr) {
      const std::uint64_t position = *offset + done;
      at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
    }
    DWORD put = 0;
    if (WriteFile(file, bytes.data() + done, want, &put, offset != nullptr ? &at : nullptr) == 0) {
      return Failure(LastErrorText());
    }
    if (put == 0) return Failure(ErrorText(ERROR_DISK_FULL));
    done += put;
  }
  return {};
}

// Six random characters for a temporary name.
inline std::string RandomSuffix() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 generator{std::random_device{}() ^
                                      static_cast<unsigned>(GetCurrentProcessId()) ^
                                      static_cast<unsigned>(GetTickCount())};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += kLetters[pick(generator)];
  return suffix;
}

// The TEMP folder with a trailing backslash.
inline std::string TempPath() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
  if (length == 0 || length > MAX_PATH + 1) return ".\\";
  return Utf8(std::wstring_view(buffer, length));
}

}  // namespace rqx340::win32
