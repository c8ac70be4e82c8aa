// The folder scan: one summary record per measurement file of a folder, read
// from the head of each file, and the search for a measurement's raw data file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"
#include "base/string_table.h"

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

// Why a "*.rqx2" entry of a folder is not listed. The set is closed: each
// reason has one text for people (LeftOutText) and one name for machines
// (LeftOutReasonName).
enum class LeftOutReason {
  kCannotOpen,         // m_strDetail: the system's reason (a dangling link, no permission)
  kNotRegularFile,     // a folder, a FIFO, a device or a socket, or a link to one
  kCannotRead,         // m_strDetail: the system's reason
  kEmpty,              // no bytes at all
  kNotJson,            // m_nOffset: where the syntax error is
  kNestedTooDeep,      // m_nOffset: the bracket that passed the nesting limit
  kLiteralBeforeKeys,  // m_nOffset: just past the true, false or null that ended the read
  kKeyMissing,         // m_strDetail: the keys not found (or empty), ", "-separated
  kNameNotInCodePage,  // m_nCodePage: for a scan that leaves out such names; this one lists them
};
inline constexpr int kLeftOutReasonCount = 9;

// A file the scan left out, and why.
struct LeftOutFile {
  std::string m_strName;  // as the folder listing gives it
  LeftOutReason m_nReason = LeftOutReason::kCannotOpen;
  std::string m_strDetail;
  std::uint64_t m_nOffset = 0;
  std::uint32_t m_nCodePage = 0;

  bool operator==(const LeftOutFile&) const = default;
};

// What a scan did besides its records: whether the folder could be listed, the
// files it left out, and counts of reads for tests and benchmarks.
struct ScanReport {
  bool m_bListed = false;  // the folder could be listed
  std::string m_strError;  // why not
  std::uint64_t m_nFilesOpened = 0;
  std::uint64_t m_nBlocksRead = 0;  // 65536-byte reads over all files
  // The "*.rqx2" entries that are not records: first those the listing itself
  // passes over (not regular files, links that lead nowhere), then those read
  // and found wanting, each group in the listing's order.
  std::vector<LeftOutFile> m_arrLeftOut;
};

// Why `file` was left out, for people: "not valid JSON at byte 17".
std::string LeftOutText(const LeftOutFile& file, const StringTable& strings);

// Why, for machines: "cannotOpen", "notRegularFile", "cannotRead", "empty",
// "notJson", "nestedTooDeep", "literalBeforeKeys", "keyMissing",
// "nameNotInCodePage".
std::string_view LeftOutReasonName(LeftOutReason reason);

// The dialog's note that files were left out: "3 files not listed…"; empty
// when `count` is 0.
std::string LeftOutSummaryText(std::size_t count, const StringTable& strings);

// `folder` with a trailing "/" added when it has none.
std::string WithTrailingSlash(std::string_view folder);

// `folder` made absolute without asking the file system: joined to the current
// directory, "." and ".." removed, symlinks not resolved, ending with "/".
std::string MakeFolderAbsolute(std::string_view folder);

// Rebuilds the record array from the "*.rqx2" files of `folder` (with or
// without its trailing "/"), in the order the folder listing returns them.
// Files that do not qualify are left out of it, each with its reason in
// `report`; a missing or unreadable folder gives an empty array. The progress
// bar runs as an indicator, one step per regular file, range 0..25.
std::vector<CRQX340Json> ScanFolder(std::string_view folder, ProgressSink& progress,
                                    ScanReport* report = nullptr);

// Fills `record` from the head of `folder` + `fileName`; true when the file has
// "StartDateTime", "SerialNum", "TAG_OPERATING_MODE_20" and "TAG_STORE_RAW_53"
// before its end, a syntax error or a null, true or false literal. When it
// has not, the reason goes to `report`.
bool ReadSummary(CRQX340Json& record, std::string_view folder, std::string_view fileName,
                 ScanReport* report = nullptr);

// The raw data file of the measurement `folder` + `fileName`: the same path
// with ".raw" for the extension, or else that path with every occurrence of the
// folder's own name replaced by "raw". Empty text when neither is a file.
std::string FindRawFile(std::string_view folder, std::string_view fileName);

}  // namespace rqx340
