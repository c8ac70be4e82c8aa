// The system the tests run on, for the few tests whose expectations are POSIX's
// own: its path separator, symbolic links, modes, TZ and locale variables, and
// the session directory's files. Windows has its own answers there.
#pragma once

#include <gtest/gtest.h>

namespace rqx340::test {

#ifdef _WIN32
inline constexpr bool kPosix = false;
#else
inline constexpr bool kPosix = true;
#endif

}  // namespace rqx340::test

// Skips the rest of the test on Windows, saying why.
#define RQX340_POSIX_ONLY(why) \
  if (!::rqx340::test::kPosix) GTEST_SKIP() << "POSIX only: " << why
