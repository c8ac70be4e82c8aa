// What reading a file does alike on every system: names checked before the
// system sees them, and reads that fill the buffer as far as the file goes.
#include "platform/input_file.h"

#include "platform/input_file_impl.h"

namespace rqx340 {

Result<InputFile> InputFile::Open(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return Failure("invalid file name");
  auto opened = sys::OpenRegularFile(path);
  if (!opened) return Failure(opened.ErrorText());
  return InputFile(std::move(opened->file), opened->size);
}

Result<std::size_t> InputFile::Read(std::span<std::byte> buffer) {
  if (!m_file.Valid()) return Failure("the file is not open");
  std::size_t done = 0;
  while (done < buffer.size()) {
    const auto got = sys::ReadSome(m_file.Get(), buffer.subspan(done));
    if (!got) return Failure(got.ErrorText());
    if (*got == 0) break;
    done += *got;
  }
  return done;
}

Status InputFile::ReadExactly(std::span<std::byte> buffer) {
  const auto got = Read(buffer);
  if (!got) return Failure(got.ErrorText());
  if (*got != buffer.size()) return Failure("the file ends early");
  return {};
}

Status InputFile::Seek(std::uint64_t offset) {
  if (!m_file.Valid()) return Failure("the file is not open");
  return sys::SeekTo(m_file.Get(), offset);
}

}  // namespace rqx340
