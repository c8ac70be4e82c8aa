// What shared memory does alike on every system: a view is handed out only
// for bytes the object has now.
#include "platform/shared_memory.h"

namespace rqx340 {

// Touching a page past the object's end would fault (SIGBUS on POSIX).
Result<MappedView> SharedMemory::Map(std::size_t size) const {
  if (!m_object.Valid() || size == 0) return Failure("nothing to map");
  const auto current = Size();
  if (!current) return Failure(current.ErrorText());
  if (*current < size) {
    return Failure(m_strName + " holds " + std::to_string(*current) + " bytes, " +
                   std::to_string(size) + " needed");
  }
  auto view = MappedView::Map(m_object.Get(), size);
  if (!view) return Failure("cannot map " + m_strName + ": " + view.ErrorText());
  return view;
}

}  // namespace rqx340
