// mmap of the first bytes of an open file, shared with other processes.
#include "platform/mapped_file.h"

#include <sys/mman.h>

#include <utility>

namespace rqx340 {

std::optional<MappedFileView> MappedFileView::Map(const OutputFile& file, std::size_t size) {
  if (!file.IsOpen() || size == 0) return std::nullopt;
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file.NativeHandle(), 0);
  if (view == MAP_FAILED) return std::nullopt;
  return MappedFileView(view, size);
}

MappedFileView::MappedFileView(MappedFileView&& other) noexcept
    : m_pView(std::exchange(other.m_pView, nullptr)), m_nSize(std::exchange(other.m_nSize, 0)) {}

MappedFileView& MappedFileView::operator=(MappedFileView&& other) noexcept {
  if (this != &other) {
    Unmap();
    m_pView = std::exchange(other.m_pView, nullptr);
    m_nSize = std::exchange(other.m_nSize, 0);
  }
  return *this;
}

MappedFileView::~MappedFileView() { Unmap(); }

void MappedFileView::Unmap() {
  if (m_pView != nullptr) ::munmap(m_pView, m_nSize);
  m_pView = nullptr;
  m_nSize = 0;
}

}  // namespace rqx340
