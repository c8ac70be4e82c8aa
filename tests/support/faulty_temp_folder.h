// A temporary folder whose operations can be made to fail, for the error paths
// of the hand-over (tests run as root, so file modes cannot make them fail).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/temp_files.h"

namespace rqx340::test {

enum class CreateFault {
  kNone,      // create as usual
  kRefuse,    // the file cannot be created
  kDiskFull,  // the file opens but every write fails
};

class FaultyTempFolder final : public TempFolder {
 public:
  explicit FaultyTempFolder(TempFolder folder) : TempFolder(std::move(folder)) {}

  // Decides, per name, what happens when a file is created.
  std::function<CreateFault(std::string_view name)> create_fault;
  bool fail_link = false;
  bool fail_rename = false;

  // Every name passed to CreateNew/CreateAlways, in order.
  mutable std::vector<std::string> created;

  Result<OutputFile> CreateAlways(std::string_view name) const override;
  Result<OutputFile> CreateNew(std::string_view name) const override;
  Status Link(std::string_view existing, std::string_view link_name) const override;
  Status Rename(std::string_view from, std::string_view to) const override;

 private:
  Result<OutputFile> Faulty(std::string_view name, bool always) const;
};

}  // namespace rqx340::test
