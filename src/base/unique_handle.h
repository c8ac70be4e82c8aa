// The one owner of a handle of some kind (an open file, a mapped view, a child
// process, a name to remove): it gives the handle back when it goes, and a
// move leaves the source empty. `Traits` names the kind:
//   using Value = ...;                       // the handle, comparable with ==
//   static Value Invalid();                  // the empty value
//   static void Close(const Value&) noexcept;  // gives a valid handle back
#pragma once

#include <utility>

namespace rqx340 {

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() = default;
  explicit UniqueHandle(Value value) noexcept : m_value(std::move(value)) {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  const Value& Get() const noexcept { return m_value; }
  bool Valid() const noexcept { return !(m_value == Traits::Invalid()); }

  // Hands the handle over without giving it back; the owner is empty after.
  [[nodiscard]] Value Release() noexcept { return std::exchange(m_value, Traits::Invalid()); }

  // Gives the current handle back and takes `value`.
  void Reset(Value value = Traits::Invalid()) noexcept {
    Value old = std::exchange(m_value, std::move(value));
    if (!(old == Traits::Invalid())) Traits::Close(old);
  }

 private:
  Value m_value = Traits::Invalid();
};

}  // namespace rqx340
