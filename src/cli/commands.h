// The subcommands of the rqx340 tool. Each takes the arguments after its own
// name and returns the process exit code: 0 success, 1 failure, 2 usage error.
#pragma once

#include <span>
#include <string_view>

namespace rqx340::cli {

using Arguments = std::span<const std::string_view>;

int RunList(Arguments args);
int RunConvert(Arguments args);
int RunDump(Arguments args);
int RunImport(Arguments args);
int RunInfo(Arguments args);
int RunExport(Arguments args);

}  // namespace rqx340::cli
