// The host's ANSI code page is fixed for a process when it is first used, so a
// test that needs another one runs again in a process of its own.
#pragma once

namespace rqx340::test {

// True when the ANSI code page in force is `number`: the test goes on. Else
// runs the current test once more in a child process of this test program with
// RQX340_ANSI_CODEPAGE=`number`, fails the test unless the child passes it,
// and returns false: the test ends there.
//   if (!test::UnderAnsiCodePage(932)) return;
bool UnderAnsiCodePage(int number);

}  // namespace rqx340::test
