// Failures injected per operation; a full disk comes from /dev/full.
#include "support/faulty_temp_folder.h"

namespace rqx340::test {

Result<OutputFile> FaultyTempFolder::Faulty(std::string_view name, bool always) const {
  created.emplace_back(name);
  const CreateFault fault = create_fault ? create_fault(name) : CreateFault::kNone;
  switch (fault) {
    case CreateFault::kRefuse:
      return Failure("refused by the test");
    case CreateFault::kDiskFull: {
      // /dev/full accepts the open and fails every write with ENOSPC.
      auto devices = TempFolder::Open("/dev");
      if (!devices) return Failure(devices.ErrorText());
      return devices->CreateAlways("full");
    }
    case CreateFault::kNone:
      break;
  }
  return always ? TempFolder::CreateAlways(name) : TempFolder::CreateNew(name);
}

Result<OutputFile> FaultyTempFolder::CreateAlways(std::string_view name) const {
  return Faulty(name, true);
}

Result<OutputFile> FaultyTempFolder::CreateNew(std::string_view name) const {
  return Faulty(name, false);
}

Status FaultyTempFolder::Link(std::string_view existing, std::string_view link_name) const {
  if (fail_link) return Failure("refused by the test");
  return TempFolder::Link(existing, link_name);
}

Status FaultyTempFolder::Rename(std::string_view from, std::string_view to) const {
  if (fail_rename) return Failure("refused by the test");
  return TempFolder::Rename(from, to);
}

}  // namespace rqx340::test
