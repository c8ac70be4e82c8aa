// Processes on Windows: CreateProcessW with inherited pipe ends, the command
// line quoted so the C runtime of the child splits it back into the same
// arguments.
#include "platform/process.h"

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <thread>
#include <utility>

#include "platform/code_page.h"
#include "platform/process_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

// One argument as the C runtime's parser reads it back.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < argument.size() && argument[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == argument.size()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (argument[i] == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
      line += L'"';
    } else {
      line.append(backslashes, L'\\');
      line += argument[i];
    }
  }
  line += L'"';
}

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// The parent's environment with the options' changes, as a sorted block.
std::wstring ChildEnvironment(const SpawnOptions& options) {
  std::vector<std::wstring> entries;
  std::vector<std::wstring> replaced;
  for (const auto& [name, value] : options.environment)
    replaced.push_back(Upper(win32::Wide(name)));
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      const std::wstring text(entry);
      // Names like "=C:" (the current folder of a drive) start with '='.
      const auto equals = text.find(L'=', 1);
      const std::wstring name = Upper(text.substr(0, equals));
      if (std::find(replaced.begin(), replaced.end(), name) != replaced.end()) continue;
      entries.push_back(text);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : options.environment) {
    if (value) entries.push_back(win32::Wide(name) + L"=" + win32::Wide(*value));
  }
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return Upper(a) < Upper(b); });
  std::wstring result;
  for (const auto& entry : entries) {
    result += entry;
    result += L'\0';
  }
  result += L'\0';
  return result;
}

}  // namespace

Result<std::string> RunningExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return Failure(win32::LastErrorText());
    if (length < buffer.size()) {
      buffer.resize(length);
      return win32::Utf8(buffer);
    }
    if (buffer.size() > 32768) return Failure("the path of the running program is too long");
    buffer.resize(buffer.size() * 2);
  }
}

Result<std::string> ExecutableDirectory(std::string_view path) {
  if (path.empty()) return Failure("no executable given");
  UniqueNativeHandle file = win32::OwnHandle(CreateFileW(
      win32::Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return Failure(win32::LastErrorText());
  const DWORD size =
      GetFinalPathNameByHandleW(win32::HandleOf(file), nullptr, 0, FILE_NAME_NORMALIZED);
  if (size == 0) return Failure(win32::LastErrorText());
  std::wstring buffer(size, L'\0');
  const DWORD length =
      GetFinalPathNameByHandleW(win32::HandleOf(file), buffer.data(), size, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= size) return Failure(win32::LastErrorText());
  buffer.resize(length);
  std::string full = win32::Utf8(buffer);
  if (full.rfind("\\\\?\\UNC\\", 0) == 0) {
    full = "\\\\" + full.substr(8);
  } else if (full.rfind("\\\\?\\", 0) == 0 && full.size() > 6 && full[5] == ':') {
    full = full.substr(4);
  }
  const auto slash = full.find_last_of("\\/");
  if (slash == std::string::npos) return Failure(full + " is not an absolute path");
  return full.substr(0, slash + 1);
}

Result<std::string> HostExecutableDirectory(std::string_view path) {
  if (path.empty()) return Failure("no executable given");
  const std::wstring name = win32::Wide(path);
  std::wstring found(MAX_PATH, L'\0');
  DWORD length = 0;
  for (;;) {
    if (name.find_first_of(L"\\/:") != std::wstring::npos) {
      // A name with a folder is not searched for: only made full.
      length =
          GetFullPathNameW(name.c_str(), static_cast<DWORD>(found.size()), found.data(), nullptr);
    } else {
      length = SearchPathW(nullptr, name.c_str(), L".exe", static_cast<DWORD>(found.size()),
                           found.data(), nullptr);
    }
    if (length == 0) return Failure(win32::LastErrorText());
    if (length < found.size()) break;
    if (length > 32768) return Failure(std::string(path) + ": the path is too long");
    found.resize(length + 1);
  }
  found.resize(length);
  if (GetFileAttributesW(found.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Failure(win32::LastErrorText());
  }
  const auto slash = found.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return Failure(std::string(path) + " is not a file");
  std::wstring directory = found.substr(0, slash + 1);
  if (const DWORD size = GetLongPathNameW(directory.c_str(), nullptr, 0); size != 0) {
    std::wstring long_form(size, L'\0');
    const DWORD got = GetLongPathNameW(directory.c_str(), long_form.data(), size);
    if (got != 0 && got < size) directory = long_form.substr(0, got);
  }
  return ToAnsi(win32::Utf8(directory));
}

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

void ExitProcessNow(int code) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  ExitProcess(static_cast<UINT>(code));  // not reached
}

// rqx340-import.exe is the Win32 dialog.
bool DialogLaunchSupported() { return true; }

const bool sys::kChildLinesEndInCrLf = true;

Status sys::CreateChildPipe(UniqueNativeHandle& read_end, UniqueNativeHandle& write_end,
                            bool child_reads) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_handle = nullptr;
  HANDLE write_handle = nullptr;
  if (CreatePipe(&read_handle, &write_handle, &inherit, 0) == 0) {
    return Failure(win32::LastErrorText());
  }
  read_end = win32::OwnHandle(read_handle);
  write_end = win32::OwnHandle(write_handle);
  SetHandleInformation(child_reads ? write_handle : read_handle, HANDLE_FLAG_INHERIT, 0);
  return {};
}

Result<sys::StartedChild> sys::StartChild(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          const SpawnOptions& options, NativeHandle child_stdin,
                                          NativeHandle child_stdout) {
  std::wstring line;
  AppendQuoted(line, win32::Wide(program));
  for (const auto& argument : arguments) {
    line += L' ';
    AppendQuoted(line, win32::Wide(argument));
  }
  std::wstring environment = ChildEnvironment(options);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  const auto inheritable = [](HANDLE handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
      SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    return handle;
  };
  startup.hStdInput = child_stdin != kNoNativeHandle ? win32::HandleOf(child_stdin)
                                                     : inheritable(GetStdHandle(STD_INPUT_HANDLE));
  startup.hStdOutput = child_stdout != kNoNativeHandle
                           ? win32::HandleOf(child_stdout)
                           : inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
  startup.hStdError =
      options.merge_stderr ? startup.hStdOutput : inheritable(GetStdHandle(STD_ERROR_HANDLE));
  PROCESS_INFORMATION info{};
  if (CreateProcessW(win32::Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup,
                     &info) == 0) {
    return Failure(win32::LastErrorText());
  }
  CloseHandle(info.hThread);
  return StartedChild{static_cast<int>(info.dwProcessId),
                      static_cast<NativeHandle>(reinterpret_cast<std::intptr_t>(info.hProcess))};
}

void ChildProcess::RunningChildTraits::Close(const NativeHandle& child) noexcept {
  HANDLE process = win32::HandleOf(child);
  TerminateProcess(process, 137);
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
}

// An anonymous pipe cannot be waited on: look, and nap briefly.
bool sys::WaitForOutput(NativeHandle pipe,
                        std::optional<std::chrono::steady_clock::time_point> deadline) {
  for (;;) {
    DWORD available = 0;
    if (PeekNamedPipe(win32::HandleOf(pipe), nullptr, 0, nullptr, &available, nullptr) == 0 ||
        available != 0) {
      return true;
    }
    if (deadline && std::chrono::steady_clock::now() >= *deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool sys::ReadChunk(UniqueNativeHandle& pipe, std::string& pending) {
  char buffer[4096];
  DWORD got = 0;
  if (ReadFile(win32::HandleOf(pipe), buffer, sizeof buffer, &got, nullptr) == 0 || got == 0) {
    pipe.Reset();
    return false;
  }
  pending.append(buffer, got);
  return true;
}

std::optional<int> ChildProcess::TryWait() {
  if (!m_running.Valid()) return m_nExitCode;
  HANDLE process = win32::HandleOf(m_running.Get());
  if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
    DWORD code = 255;
    GetExitCodeProcess(process, &code);
    m_nExitCode = static_cast<int>(code);
    CloseHandle(win32::HandleOf(m_running.Release()));
  }
  return m_nExitCode;
}

int ChildProcess::Wait() {
  if (!m_running.Valid()) return m_nExitCode.value_or(-1);
  HANDLE process = win32::HandleOf(m_running.Get());
  WaitForSingleObject(process, INFINITE);
  DWORD code = 255;
  m_nExitCode = GetExitCodeProcess(process, &code) != 0 ? static_cast<int>(code) : -1;
  CloseHandle(win32::HandleOf(m_running.Release()));
  return *m_nExitCode;
}

// Windows has no polite request to end: both end the child at once, with the
// exit codes a POSIX child would report for SIGKILL and SIGTERM.
void ChildProcess::Kill() {
  if (m_running.Valid()) TerminateProcess(win32::HandleOf(m_running.Get()), 137);
}

void ChildProcess::Terminate() {
  if (m_running.Valid()) TerminateProcess(win32::HandleOf(m_running.Get()), 143);
}

}  // namespace rqx340
