// Failures injected per operation; a full disk comes from /dev/full.
#include "support/faulty_temp_folder.h"

namespace rqx340::test {

OutputFile FaultyTempFolder::Faulty(std::string_view name, bool always) const {
  created.emplace_back(name);
  const CreateFault fault = create_fault ? create_fault(name) : CreateFault::kNone;
  switch (fault) {
    case CreateFault::kRefuse:
      return OutputFile();
    case CreateFault::kDiskFull: {
      // /dev/full accepts the open and fails every write with ENOSPC.
      auto devices = TempFolder::Open("/dev");
      return devices ? devices->CreateAlways("full") : OutputFile();
    }
    case CreateFault::kNone:
      break;
  }
  return always ? TempFolder::CreateAlways(name) : TempFolder::CreateNew(name);
}

OutputFile FaultyTempFolder::CreateAlways(std::string_view name) const {
  return Faulty(name, true);
}

OutputFile FaultyTempFolder::CreateNew(std::string_view name) const { return Faulty(name, false); }

bool FaultyTempFolder::Link(std::string_view existing, std::string_view link_name) const {
  return !fail_link && TempFolder::Link(existing, link_name);
}

bool FaultyTempFolder::Rename(std::string_view from, std::string_view to) const {
  return !fail_rename && TempFolder::Rename(from, to);
}

}  // namespace rqx340::test
