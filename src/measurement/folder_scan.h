// The folder scan: one summary record per measurement file of a folder, read
// from the head of each file, and the search for a measurement's raw data file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"

namespace rqx340 {

// The summary of one listed measurement file.
struct CRQX340Json {
  std::string m_strName;       // as the folder listing gives it, without the folder
  std::uint64_t m_nSize = 0;   // bytes
  std::int64_t m_tStart = 0;   // seconds since 1970-01-01 UTC; -1 when not representable
  std::string m_strMode;       // "Vib", "HA" or "WB"
  std::string m_strSerialNum;  // the value's UTF-8 text
  std::int32_t m_nRaw = 0;     // 0 none stored, 1 raw file found, 2 stored but missing

  bool operator==(const CRQX340Json&) const = default;
};

// What a scan did besides its records; for the CLI's messages and for tests and
// benchmarks that count reads.
struct ScanReport {
  bool m_bListed = false;  // the folder could be listed
  std::string m_strError;  // why not
  std::uint64_t m_nFilesOpened = 0;
  std::uint64_t m_nBlocksRead = 0;  // 65536-byte reads over all files
};

// `folder` with a trailing "/" added when it has none.
std::string WithTrailingSlash(std::string_view folder);

// `folder` made absolute without asking the file system: joined to the current
// directory, "." and ".." removed, symlinks not resolved, ending with "/".
std::string MakeFolderAbsolute(std::string_view folder);

// Rebuilds the record array from the "*.rqx2" files of `folder` (with or
// without its trailing "/"), in the order the folder listing returns them.
// Files that do not qualify are left out silently; a missing or unreadable
// folder gives an empty array. The progress bar runs as an indicator, one step
// per file, range 0..25.
std::vector<CRQX340Json> ScanFolder(std::string_view folder, ProgressSink& progress,
                                    ScanReport* report = nullptr);

// Fills `record` from the head of `folder` + `fileName`; true when the file has
// "StartDateTime", "SerialNum", "TAG_OPERATING_MODE_20" and "TAG_STORE_RAW_53"
// before its end, a syntax error or a null, true or false literal.
bool ReadSummary(CRQX340Json& record, std::string_view folder, std::string_view fileName,
                 ScanReport* report = nullptr);

// The raw data file of the measurement `folder` + `fileName`: the same path
// with ".raw" for the extension, or else that path with every occurrence of the
// folder's own name replaced by "raw". Empty text when neither is a file.
std::string FindRawFile(std::string_view folder, std::string_view fileName);

}  // namespace rqx340
