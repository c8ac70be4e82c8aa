#include "support/scoped_env.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

namespace rqx340::test {

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
  if (const char* old = getenv(name)) m_old = old;
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
  tzset();
}

ScopedEnv::~ScopedEnv() {
  if (m_old) {
    setenv(m_name.c_str(), m_old->c_str(), 1);
  } else {
    unsetenv(m_name.c_str());
  }
  tzset();
}

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

}  // namespace rqx340::test
