// The outcome of an operation that can fail: its value, or why it failed, as a
// text for the user (the system's own error text where it gave one). This is
// how the platform layer and its callers report failures; nothing throws
// across layers.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace rqx340 {

// Why an operation failed.
struct Error {
  std::string text;
};

// `return Failure("cannot map " + name);` from a function returning any Result.
inline Error Failure(std::string text) { return Error{std::move(text)}; }

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

  bool Ok() const { return m_state.index() == 0; }
  explicit operator bool() const { return Ok(); }

  // Only when Ok().
  T& Value() & { return *std::get_if<0>(&m_state); }
  const T& Value() const& { return *std::get_if<0>(&m_state); }
  T&& Value() && { return std::move(*std::get_if<0>(&m_state)); }
  T& operator*() & { return Value(); }
  const T& operator*() const& { return Value(); }
  T&& operator*() && { return std::move(*this).Value(); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }

  T ValueOr(T fallback) const& { return Ok() ? Value() : std::move(fallback); }
  T ValueOr(T fallback) && { return Ok() ? std::move(*this).Value() : std::move(fallback); }

  // Empty when Ok().
  const std::string& ErrorText() const {
    static const std::string kNone;
    const Error* error = std::get_if<1>(&m_state);
    return error != nullptr ? error->text : kNone;
  }

 private:
  std::variant<T, Error> m_state;
};

// Success without a value, or why not.
template <>
class Result<void> {
 public:
  Result() = default;
  Result(Error error) : m_strError(std::move(error.text)), m_bFailed(true) {}

  bool Ok() const { return !m_bFailed; }
  explicit operator bool() const { return Ok(); }
  // Empty when Ok().
  const std::string& ErrorText() const { return m_strError; }

 private:
  std::string m_strError;
  bool m_bFailed = false;
};

using Status = Result<void>;

}  // namespace rqx340
