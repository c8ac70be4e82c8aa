// Every program answers --version with the same text, from the build it belongs to.
#include "base/version.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_program.h"

namespace rqx340 {
namespace {

TEST(VersionCommandTest, EveryProgramPrintsItsNameAndTheVersion) {
  for (const char* program : {"rqx340", "rqx340-gen", "zul-refhost", "rqx340-import"}) {
    SCOPED_TRACE(program);
    // The dialog program is not built everywhere.
    if (std::string(program) == "rqx340-import" &&
        !std::filesystem::exists(test::ProgramPath(program))) {
      continue;
    }
    const auto result = test::RunProgram(program, {"--version"});
    EXPECT_EQ(result.exit_code, 0);
    std::string out = result.out;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    EXPECT_EQ(out, VersionText(program));
    EXPECT_EQ(result.err, "");
  }
}

}  // namespace
}  // namespace rqx340
