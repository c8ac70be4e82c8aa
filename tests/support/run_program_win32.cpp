// CreateProcessW with standard output and error redirected to files, so that a
// program's exit code and both outputs are seen whole.
#include "support/run_program.h"

#include <windows.h>

#include <cstdlib>
#include <cwctype>
#include <string_view>

#include "support/temp_dir.h"

namespace rqx340::test {
namespace {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// One argument as the C runtime's parser splits it back: quoted when it holds
// blanks or quotes, backslashes doubled only before a quote.
void AppendArgument(std::wstring& line, const std::wstring& arg) {
  if (!line.empty()) line += L' ';
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

// This process's environment with `extra` ("NAME=value") set on top, as a
// block for CreateProcessW.
std::wstring EnvironmentBlock(const std::vector<std::string>& extra) {
  std::vector<std::wstring> added;
  for (const auto& entry : extra) added.push_back(Wide(entry));
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* e = strings; e != nullptr && *e != L'\0'; e += wcslen(e) + 1) {
    const std::wstring_view entry(e);
    // Entries such as "=C:=C:\\" start with '='; the name ends at the next one.
    const std::wstring_view name = entry.substr(0, entry.find(L'=', 1));
    bool replaced = false;
    for (const auto& a : added) {
      replaced = replaced || SameName(std::wstring_view(a).substr(0, a.find(L'=')), name);
    }
    if (!replaced) block.append(entry).push_back(L'\0');
  }
  if (strings != nullptr) FreeEnvironmentStringsW(strings);
  for (const auto& a : added) block.append(a).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

HANDLE InheritableFile(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string ProgramPath(const std::string& program) {
  const bool absolute = program.size() > 1 && (program[1] == ':' || program.front() == '\\' ||
                                               program.front() == '/');
  std::string path = program;
  if (!absolute) {
    const char* dir = std::getenv("RQX340_BIN_DIR");
    path = std::string(dir != nullptr ? dir : ".") + "\\" + program;
  }
  if (!path.ends_with(".exe")) path += ".exe";
  return path;
}

void Interrupt(int pid) {
  // A console program's Ctrl-C reaches its whole process group.
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, static_cast<DWORD>(pid));
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
  ProgramResult result;
  TempDir dir;
  const std::wstring out_path = (dir.Path() / "out").wstring();
  const std::wstring err_path = (dir.Path() / "err").wstring();
  const std::string path = ProgramPath(program);

  std::wstring line;
  AppendArgument(line, Wide(path));
  for (const auto& arg : args) AppendArgument(line, Wide(arg));
  std::wstring environment = EnvironmentBlock(env);

  HANDLE in = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = InheritableFile(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = InheritableFile(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring wide_path = Wide(path);
  const BOOL started =
      CreateProcessW(wide_path.c_str(), line.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &process);
  for (HANDLE h : {in, out, err}) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  if (!started) {
    result.err = "cannot start " + path + ": error " + std::to_string(GetLastError());
    return result;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(process.hProcess, &code)) result.exit_code = static_cast<int>(code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = ReadFileBytes(dir.Path() / "out");
  result.err = ReadFileBytes(dir.Path() / "err");
  return result;
}

}  // namespace rqx340::test
