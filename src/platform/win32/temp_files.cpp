// The temporary folder's files. Windows has no handle-relative opening, so
// names are joined to the folder's path; the folder is held open without
// delete sharing, so that path keeps naming the same folder.
#include "platform/temp_files.h"

#include "platform/temp_files_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Result<OutputFile> Create(const TempFolder& folder, std::string_view name, DWORD disposition) {
  if (!win32::IsObjectName(name)) return Failure("invalid file name");
  UniqueNativeHandle file = win32::OwnHandle(CreateFileW(
      win32::Wide(folder.PathOf(name)).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
      disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) return Failure(win32::LastErrorText());
  return OutputFile(std::move(file));
}

}  // namespace

Status OutputFile::Close() {
  if (!m_file.Valid()) return {};
  if (CloseHandle(win32::HandleOf(m_file.Release())) == 0) return Failure(win32::LastErrorText());
  return {};
}

Result<UniqueNativeHandle> sys::OpenTempFolder(const std::string& path) {
  UniqueNativeHandle dir = win32::OpenFolderHandle(path);
  if (!dir.Valid()) return Failure(win32::LastErrorText());
  return dir;
}

Result<TempFolder> TempFolder::FromSession(const SessionDir& session) {
  return Open(session.Path());
}

Result<OutputFile> TempFolder::CreateAlways(std::string_view name) const {
  return Create(*this, name, CREATE_ALWAYS);
}

Result<OutputFile> TempFolder::CreateNew(std::string_view name) const {
  return Create(*this, name, CREATE_NEW);
}

bool TempFolder::Exists(std::string_view name) const {
  if (!win32::IsObjectName(name)) return false;
  if (GetFileAttributesW(win32::Wide(PathOf(name)).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

Status TempFolder::Remove(std::string_view name) const {
  if (!win32::IsObjectName(name)) return Failure("invalid file name");
  if (DeleteFileW(win32::Wide(PathOf(name)).c_str()) != 0 ||
      GetLastError() == ERROR_FILE_NOT_FOUND) {
    return {};
  }
  return Failure(win32::LastErrorText());
}

Status TempFolder::Link(std::string_view existing, std::string_view link_name) const {
  if (!win32::IsObjectName(existing) || !win32::IsObjectName(link_name)) {
    return Failure("invalid file name");
  }
  if (CreateHardLinkW(win32::Wide(PathOf(link_name)).c_str(), win32::Wide(PathOf(existing)).c_str(),
                      nullptr) != 0) {
    return {};
  }
  return Failure(win32::LastErrorText());
}

Status TempFolder::Rename(std::string_view from, std::string_view to) const {
  if (!win32::IsObjectName(from) || !win32::IsObjectName(to)) return Failure("invalid file name");
  if (MoveFileExW(win32::Wide(PathOf(from)).c_str(), win32::Wide(PathOf(to)).c_str(),
                  MOVEFILE_REPLACE_EXISTING) != 0) {
    return {};
  }
  return Failure(win32::LastErrorText());
}

}  // namespace rqx340
