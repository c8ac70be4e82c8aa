// Sets an environment variable for the lifetime of the object (TZ, LC_ALL, ...)
// and restores the old value, or its absence, afterwards.
#pragma once

#include <optional>
#include <string>

namespace rqx340::test {

class ScopedEnv {
 public:
  // A null `value` unsets the variable.
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

// Creates a FIFO at `path`; false when the system refuses.
bool MakeFifo(const std::string& path);

}  // namespace rqx340::test
