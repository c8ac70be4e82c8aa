// Named shared memory: a block of bytes that several processes of the user map
// by name. On POSIX it is a file of that name in the session directory (mode
// 0600), mapped shared; on Windows it would be a named file mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/mapped_view.h"
#include "platform/native_handle.h"
#include "platform/session_dir.h"

namespace rqx340 {

class SharedMemory {
 public:
  // Opens the object `name`, creating it when missing, and makes it at least
  // `size` bytes long, with storage for every byte, so that touching the
  // mapping can never fault on a full file system: that is reported here
  // instead. New bytes read as zero; bytes already there are kept. An object
  // this call created is removed again when it fails.
  static Result<SharedMemory> OpenOrCreate(const SessionDir& dir, std::string_view name,
                                           std::size_t size);
  // Opens an existing object only.
  static Result<SharedMemory> OpenExisting(const SessionDir& dir, std::string_view name);

  // Maps the first `size` bytes for reading and writing. Fails, rather than
  // handing out a view that would fault, when the object is shorter.
  Result<MappedView> Map(std::size_t size) const;

  // The object's size now: another process may have shortened it since it was
  // mapped, and a view must not be touched past it.
  Result<std::uint64_t> Size() const;

  // Removes the name `dir` has for the object, when that name is still this
  // object's. Whoever has it open keeps it.
  Status RemoveName(const SessionDir& dir) const;

 private:
  SharedMemory(UniqueNativeHandle object, std::string name)
      : m_object(std::move(object)), m_strName(std::move(name)) {}

  UniqueNativeHandle m_object;
  std::string m_strName;
};

}  // namespace rqx340
