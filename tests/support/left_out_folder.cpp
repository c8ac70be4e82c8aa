// Each case is named for the reason it gives; what a system cannot make (FIFOs
// and links on Windows, a permission that root ignores) is left out.
#include "support/left_out_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "measurement/nesting_limit.h"
#include "support/fifo.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340::test {

namespace fs = std::filesystem;

std::vector<LeftOutCase> FillLeftOutFolder(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(DataFile("scan/left_out"))) {
    fs::copy_file(entry.path(), folder / entry.path().filename());
  }
  std::vector<LeftOutCase> cases = {
      {"empty.rqx2", "empty", "the file is empty"},
      {"not_json.rqx2", "notJson", "not valid JSON at byte 63"},
      {"literal_before_keys.rqx2", "literalBeforeKeys",
       "true, false or null at byte 23 before the measurement keys"},
      {"key_missing.rqx2", "keyMissing",
       "measurement key missing or empty: SerialNum, TAG_STORE_RAW_53"},
  };

  // Past the nesting limit: the bracket that passes it stands at byte 100000.
  WriteFileBytes(folder / "deep.rqx2", std::string(kMaxNestingDepth + 1, '['));
  cases.push_back({"deep.rqx2", "nestedTooDeep",
                   "nested too deep at byte " + std::to_string(kMaxNestingDepth)});
  fs::create_directory(folder / "folder.rqx2");
  cases.push_back({"folder.rqx2", "notRegularFile", "not a regular file"});

  if (MakeFifo((folder / "fifo.rqx2").string())) {
    cases.push_back({"fifo.rqx2", "notRegularFile", "not a regular file"});
  }
  // Links as POSIX makes them; Windows's own reasons have their own texts.
  std::error_code error;
  if (kPosix) fs::create_symlink(folder / "missing", folder / "dangling.rqx2", error);
  if (kPosix && !error) {
    cases.push_back(
        {"dangling.rqx2", "cannotOpen", std::string("cannot be opened: ") + std::strerror(ENOENT)});
  }
  if (kPosix) fs::create_symlink("loop.rqx2", folder / "loop.rqx2", error);
  if (kPosix && !error) {
    cases.push_back(
        {"loop.rqx2", "cannotOpen", std::string("cannot be opened: ") + std::strerror(ELOOP)});
  }
  // Linux's view of a process's own memory is a regular file whose first page
  // is never mapped: it opens, and its first read fails.
  if (kPosix && fs::exists("/proc/self/mem")) {
    fs::create_symlink("/proc/self/mem", folder / "memory.rqx2", error);
    if (!error) {
      cases.push_back(
          {"memory.rqx2", "cannotRead", std::string("cannot be read: ") + std::strerror(EIO)});
    }
  }
  // Permission bits are POSIX's; root reads the file all the same.
  const fs::path locked = folder / "locked.rqx2";
  if (kPosix) {
    fs::copy_file(folder / kListedInLeftOutFolder, locked);
    fs::permissions(locked, fs::perms::none, error);
    if (!error && !std::ifstream(locked).is_open()) {
      cases.push_back(
          {"locked.rqx2", "cannotOpen", std::string("cannot be opened: ") + std::strerror(EACCES)});
    } else {
      fs::remove(locked);
    }
  }

  std::sort(cases.begin(), cases.end(),
            [](const LeftOutCase& a, const LeftOutCase& b) { return a.name < b.name; });
  return cases;
}

}  // namespace rqx340::test
