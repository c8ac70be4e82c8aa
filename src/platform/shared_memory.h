// Named shared memory: a block of bytes that several processes of the user map
// by name. On POSIX it is a file of that name in the session directory (mode
// 0600), mapped shared; on Windows it would be a named file mapping.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/session_dir.h"

namespace rqx340 {

// A mapped view of shared memory; unmapped when destroyed.
class MappedView {
 public:
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  std::span<std::byte> Bytes() const { return {m_pData, m_nSize}; }

 private:
  friend class SharedMemory;
  MappedView(std::byte* data, std::size_t size) : m_pData(data), m_nSize(size) {}

  std::byte* m_pData = nullptr;
  std::size_t m_nSize = 0;
};

class SharedMemory {
 public:
  // Opens the object `name`, creating it when missing, and makes it at least
  // `size` bytes long. New bytes read as zero.
  static std::optional<SharedMemory> OpenOrCreate(const SessionDir& dir, std::string_view name,
                                                  std::size_t size, std::string* error);
  // Opens an existing object only.
  static std::optional<SharedMemory> OpenExisting(const SessionDir& dir, std::string_view name,
                                                  std::string* error);

  SharedMemory(SharedMemory&& other) noexcept;
  SharedMemory& operator=(SharedMemory&& other) noexcept;
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;
  ~SharedMemory();

  // Maps the first `size` bytes for reading and writing. Fails, rather than
  // handing out a view that would fault, when the object is shorter.
  std::optional<MappedView> Map(std::size_t size, std::string* error) const;

 private:
  SharedMemory(int handle, std::string name) : m_hObject(handle), m_strName(std::move(name)) {}

  int m_hObject = -1;
  std::string m_strName;
};

}  // namespace rqx340
