// Runs the current test under another ANSI code page, in a child process.
#include "support/code_page_process.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"
#include "platform/process.h"
#include "support/run_program.h"

namespace rqx340::test {

bool UnderAnsiCodePage(int number) {
  if (AnsiCodePage().Number() == number) return true;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
  const auto self = RunningExecutablePath();
  if (!self) {
    ADD_FAILURE() << "cannot find this test program: " << self.ErrorText();
    return false;
  }
  const ProgramResult child = RunProgram(*self, {"--gtest_filter=" + filter},
                                         {"RQX340_ANSI_CODEPAGE=" + std::to_string(number)});
  EXPECT_EQ(child.exit_code, 0) << child.out << child.err;
  // A filter that matches nothing passes too: the test must have run.
  EXPECT_NE(child.out.find("[  PASSED  ] 1 test."), std::string::npos) << child.out;
  return false;
}

}  // namespace rqx340::test
