// Sets or clears environment variables for one scope and restores them after.
#pragma once

#include <optional>
#include <string>

#include "platform/environment.h"

namespace rqx340::test {

class ScopedEnv {
 public:
  // `value` nullptr clears the variable.
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    m_old = GetEnvironment(m_name);
    SetEnvironment(m_name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
  ~ScopedEnv() { SetEnvironment(m_name, m_old); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

// The variables that choose the user's date and time pictures and names; each
// one left nullptr is cleared.
struct LocaleEnv {
  const char* lc_all = nullptr;
  const char* lc_time = nullptr;
  const char* lang = nullptr;
  const char* short_date = nullptr;   // RQX340_SHORTDATE
  const char* time_format = nullptr;  // RQX340_TIMEFORMAT
};

class ScopedLocaleEnv {
 public:
  explicit ScopedLocaleEnv(const LocaleEnv& env)
      : m_lcAll("LC_ALL", env.lc_all),
        m_lcTime("LC_TIME", env.lc_time),
        m_lang("LANG", env.lang),
        m_shortDate("RQX340_SHORTDATE", env.short_date),
        m_timeFormat("RQX340_TIMEFORMAT", env.time_format) {}

 private:
  ScopedEnv m_lcAll;
  ScopedEnv m_lcTime;
  ScopedEnv m_lang;
  ScopedEnv m_shortDate;
  ScopedEnv m_timeFormat;
};

}  // namespace rqx340::test
