// What replacing a file does alike on every system: the first failed write is
// kept and reported by every later call, and the output is put in place only
// when everything succeeded.
#include "platform/replacement_file.h"

#include "platform/native_handle_impl.h"
#include "platform/replacement_file_impl.h"

namespace rqx340 {

Status ReplacementFile::Write(std::span<const std::byte> bytes) {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (!m_firstFailure) return m_firstFailure;
  m_firstFailure = sys::WriteAllTo(m_file.Get(), bytes);
  return m_firstFailure;
}

Status ReplacementFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (!m_firstFailure) return m_firstFailure;
  m_firstFailure = sys::WriteAllAt(m_file.Get(), offset, bytes);
  return m_firstFailure;
}

Status ReplacementFile::Commit() {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (m_target.Valid()) {
    Status result = m_firstFailure;
    if (result) {
      result = sys::CopyThrough(m_file.Get(), std::move(m_target));
      if (!result) {
        result = Failure(result.ErrorText() +
                         "; it is written in place, so part of the output may be there");
      }
    }
    Discard();
    return result;
  }
  Status result = m_firstFailure;
  if (Status closed = sys::CloseWritten(m_file.Release()); !closed && result) result = closed;
  if (result) result = sys::RenameOver(m_tempPath.Get(), m_strPath);
  if (!result) {
    Discard();
    return result;
  }
  static_cast<void>(m_tempPath.Release());  // it is the target's name now
  return {};
}

void ReplacementFile::Discard() {
  m_target.Reset();
  m_file.Reset();
  m_tempPath.Reset();
}

}  // namespace rqx340
