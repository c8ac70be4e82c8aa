// A view of the first bytes of an open file, shared with every other process
// that maps the same file.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/temp_files.h"

namespace rqx340 {

class MappedFileView {
 public:
  // Maps the first `size` bytes of `file` for reading and writing; nullopt when
  // the system refuses (a size of 0 included).
  static std::optional<MappedFileView> Map(const OutputFile& file, std::size_t size);

  MappedFileView(MappedFileView&& other) noexcept;
  MappedFileView& operator=(MappedFileView&& other) noexcept;
  MappedFileView(const MappedFileView&) = delete;
  MappedFileView& operator=(const MappedFileView&) = delete;
  ~MappedFileView();

  const std::byte* Data() const { return static_cast<const std::byte*>(m_pView); }
  std::size_t Size() const { return m_nSize; }

 private:
  MappedFileView(void* view, std::size_t size) : m_pView(view), m_nSize(size) {}
  void Unmap();

  void* m_pView = nullptr;
  std::size_t m_nSize = 0;
};

}  // namespace rqx340
