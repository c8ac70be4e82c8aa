// Lists the *.rqx2 files of a folder and pull-parses the head of each only
// until the four summary keys are found; looks for raw data files.
#include "measurement/folder_scan.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <vector>

#include "measurement/decimal_text.h"
#include "measurement/json_reader.h"
#include "measurement/key_value_handler.h"
#include "platform/file_system.h"
#include "platform/input_file.h"
#include "platform/local_time.h"
#include "platform/path_text.h"

namespace rqx340 {
namespace {

constexpr std::string_view kExtension = ".rqx2";
constexpr std::array<std::string_view, 3> kModeNames = {"Vib", "HA", "WB"};
constexpr std::int32_t kProgressRange = 25;

// Every occurrence of `from` in `text` (left to right, not overlapping) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  std::size_t start = 0;
  for (;;) {
    const std::size_t found = text.find(from, start);
    if (found == std::string_view::npos) break;
    result.append(text.substr(start, found - start));
    result.append(to);
    start = found + from.size();
  }
  result.append(text.substr(start));
  return result;
}

enum WantedKey { kStart, kSerial, kMode, kRaw, kWantedCount };
constexpr std::array<std::string_view, kWantedCount> kWantedNames = {
    "StartDateTime", "SerialNum", "TAG_OPERATING_MODE_20", "TAG_STORE_RAW_53"};

constexpr std::array<std::string_view, kLeftOutReasonCount> kReasonNames = {
    "cannotOpen",        "notRegularFile", "cannotRead",       "empty", "notJson", "nestedTooDeep",
    "literalBeforeKeys", "keyMissing",     "nameNotInCodePage"};

}  // namespace

std::string_view LeftOutReasonName(LeftOutReason reason) {
  return kReasonNames[static_cast<std::size_t>(reason)];
}

std::string LeftOutText(const LeftOutFile& file, const StringTable& strings) {
  const int id = kIdsFirstLeftOutReason + static_cast<int>(file.m_nReason);
  std::string pattern = strings.Load(id);
  if (pattern.empty()) pattern = EnglishStrings().Load(id);
  switch (file.m_nReason) {
    case LeftOutReason::kNotJson:
    case LeftOutReason::kNestedTooDeep:
    case LeftOutReason::kLiteralBeforeKeys:
      return FormatString(pattern, std::to_string(file.m_nOffset));
    case LeftOutReason::kNameNotInCodePage:
      return FormatString(pattern, std::to_string(file.m_nCodePage));
    case LeftOutReason::kCannotOpen:
    case LeftOutReason::kCannotRead:
    case LeftOutReason::kKeyMissing:
      return FormatString(pattern, file.m_strDetail);
    case LeftOutReason::kNotRegularFile:
    case LeftOutReason::kEmpty:
      break;
  }
  return pattern;
}

std::string LeftOutSummaryText(std::size_t count, const StringTable& strings) {
  if (count == 0) return {};
  const int id = count == 1 ? kIdsOneFileNotListed : kIdsFilesNotListed;
  std::string pattern = strings.Load(id);
  if (pattern.empty()) pattern = EnglishStrings().Load(id);
  return FormatString(pattern, std::to_string(count));
}

std::string WithTrailingSlash(std::string_view folder) {
  std::string text(folder);
  if (text.empty() || !IsPathSeparator(text.back())) text.push_back(PreferredSeparator());
  return text;
}

std::string MakeFolderAbsolute(std::string_view folder) {
  const char separator = PreferredSeparator();
  std::string joined;
  if (!IsAbsolutePath(folder)) {
    // Without a current directory the text stays relative; the scan then
    // finds what the system finds.
    if (const auto cwd = CurrentDirectory()) joined = *cwd + separator;
  }
  joined.append(folder);
  const std::size_t root_length = PathRootLength(joined);
  const bool absolute = root_length > 0;

  std::vector<std::string_view> parts;
  const std::string_view text = std::string_view(joined).substr(root_length);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = start;
    while (end < text.size() && !IsPathSeparator(text[end])) ++end;
    const std::string_view part = text.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.push_back(part);  // a relative text keeps the ".." it cannot resolve
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }

  std::string result;
  if (absolute) {
    // The root as the system writes it: "/", "C:\\".
    for (const char c : std::string_view(joined).substr(0, root_length)) {
      result.push_back(IsPathSeparator(c) && c != ':' ? separator : c);
    }
  }
  for (const auto part : parts) {
    result.append(part);
    result.push_back(separator);
  }
  if (result.empty()) result = std::string(".") + separator;
  return result;
}

std::string FindRawFile(std::string_view folder, std::string_view fileName) {
  const std::string folder_text = MakeFolderAbsolute(folder);
  std::string path = folder_text + std::string(fileName);
  // The extension is cut from the file name only; dots in folder names stay.
  const std::size_t name_start = folder_text.size();
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && dot >= name_start) path.resize(dot);
  path += ".raw";
  if (IsRegularFile(path)) return path;

  // The folder's own name, replaced by "raw" wherever it occurs in the path,
  // which usually means the sibling folder raw. The root has no name.
  const std::string_view without_slash =
      std::string_view(folder_text).substr(0, folder_text.size() - 1);
  const std::string_view name = FileNameOf(without_slash);
  if (name.empty() || name == "." || name == "..") return {};
  const std::string candidate = ReplaceAll(path, name, "raw");
  if (IsRegularFile(candidate)) return candidate;
  return {};
}

namespace {

// Why a file whose head was read is not listed: the read failed, or the pull
// parse ended (`end`, at `end_offset`) before it `found` every wanted key.
LeftOutFile WhyNotAMeasurement(std::string_view fileName, const BlockFileReadStream& stream,
                               std::uint64_t size, PullParseEnd end, std::size_t end_offset,
                               const std::array<bool, kWantedCount>& found) {
  LeftOutFile left_out;
  left_out.m_strName = std::string(fileName);
  const auto at_offset = [&](LeftOutReason reason) {
    left_out.m_nReason = reason;
    left_out.m_nOffset = end_offset;
  };
  if (stream.ReadFailed()) {
    left_out.m_nReason = LeftOutReason::kCannotRead;
    left_out.m_strDetail = stream.ReadError();
  } else if (end == PullParseEnd::kSyntaxError && size == 0) {
    left_out.m_nReason = LeftOutReason::kEmpty;
  } else if (end == PullParseEnd::kSyntaxError) {
    at_offset(LeftOutReason::kNotJson);
  } else if (end == PullParseEnd::kTooDeep) {
    at_offset(LeftOutReason::kNestedTooDeep);
  } else if (end == PullParseEnd::kStoppedAtLiteral) {
    at_offset(LeftOutReason::kLiteralBeforeKeys);
  } else {
    left_out.m_nReason = LeftOutReason::kKeyMissing;
    for (std::size_t k = 0; k < kWantedCount; ++k) {
      if (found[k]) continue;
      if (!left_out.m_strDetail.empty()) left_out.m_strDetail += ", ";
      left_out.m_strDetail += kWantedNames[k];
    }
  }
  return left_out;
}

// ReadSummary on a file already open, through a caller's buffer of
// kReadBufferSize bytes that the scan reuses for every file.
bool ReadOpenSummary(CRQX340Json& record, InputFile& file, std::span<char> buffer,
                     std::string_view folder, std::string_view fileName, ScanReport* report) {
  BlockFileReadStream stream(&file, buffer);
  KeyValueHandler handler;
  std::array<bool, kWantedCount> found{};
  const auto found_all = [&found] {
    return std::all_of(found.begin(), found.end(), [](bool f) { return f; });
  };

  const auto take_pair = [&](const KeyValueHandler& h) {
    if (!h.HasPair()) return true;
    const std::string& key = h.m_strKey;
    const std::string& value = h.m_strValue;
    if (key == std::string_view("StartDateTime")) {
      record.m_tStart = ConvertStartTime(ReadDecimal64(value));
      found[kStart] = true;
    } else if (key == std::string_view("SerialNum")) {
      record.m_strSerialNum = value;
      found[kSerial] = true;
    } else if (key == std::string_view("TAG_OPERATING_MODE_20")) {
      const std::int32_t mode = std::clamp(ReadDecimal32(value), 0, 2);
      record.m_strMode = kModeNames[static_cast<std::size_t>(mode)];
      found[kMode] = true;
    } else if (key == std::string_view("TAG_STORE_RAW_53")) {
      record.m_nRaw = ReadDecimal32(value);
      found[kRaw] = true;
    }
    return !found_all();
  };
  std::size_t end_offset = 0;
  const PullParseEnd end = PullParse(stream, handler, take_pair, &end_offset);

  if (report != nullptr) {
    ++report->m_nFilesOpened;
    report->m_nBlocksRead += stream.BlocksRead();
  }
  if (record.m_nRaw != 0 && FindRawFile(folder, fileName).empty()) record.m_nRaw = 2;
  if (found_all()) return true;
  if (report != nullptr) {
    report->m_arrLeftOut.push_back(
        WhyNotAMeasurement(fileName, stream, file.Size(), end, end_offset, found));
  }
  return false;
}

void NoteCannotOpen(ScanReport* report, std::string_view fileName, const std::string& error) {
  if (report == nullptr) return;
  LeftOutFile left_out;
  left_out.m_strName = std::string(fileName);
  left_out.m_nReason = LeftOutReason::kCannotOpen;
  left_out.m_strDetail = error;
  report->m_arrLeftOut.push_back(std::move(left_out));
}

}  // namespace

bool ReadSummary(CRQX340Json& record, std::string_view folder, std::string_view fileName,
                 ScanReport* report) {
  auto file = InputFile::Open(WithTrailingSlash(folder) + std::string(fileName));
  if (!file) {
    NoteCannotOpen(report, fileName, file.ErrorText());
    return false;
  }
  std::vector<char> buffer(kReadBufferSize);
  return ReadOpenSummary(record, *file, buffer, folder, fileName, report);
}

std::vector<CRQX340Json> ScanFolder(std::string_view folder, ProgressSink& progress,
                                    ScanReport* report) {
  progress.Show();
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, kProgressRange);

  std::vector<CRQX340Json> records;
  const std::string folder_text = MakeFolderAbsolute(folder);
  // The folder stays open: each file is opened within it, not by its full path.
  auto open_folder = OpenFolder::Open(folder_text);
  std::vector<SkippedEntry> skipped;
  const auto files =
      open_folder ? open_folder->ListFiles(kExtension, report != nullptr ? &skipped : nullptr)
                  : Result<std::vector<FileEntry>>(Failure(open_folder.ErrorText()));
  if (report != nullptr) {
    report->m_bListed = files.Ok();
    report->m_strError = files.ErrorText();
    if (files) {
      for (SkippedEntry& entry : skipped) {
        LeftOutFile left_out;
        left_out.m_strName = std::move(entry.name);
        if (entry.error.empty()) {
          left_out.m_nReason = LeftOutReason::kNotRegularFile;
        } else {
          left_out.m_nReason = LeftOutReason::kCannotOpen;
          left_out.m_strDetail = std::move(entry.error);
        }
        report->m_arrLeftOut.push_back(std::move(left_out));
      }
    }
  }
  if (files) {
    // One buffer for the whole scan; each file is opened once, and the opened
    // file is what is checked to be a regular file and gives its size.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadBufferSize);
    records.reserve(files->size());
    for (const FileEntry& entry : *files) {
      progress.StepIt();
      auto file = open_folder->OpenFile(entry.name);
      if (!file) {
        NoteCannotOpen(report, entry.name, file.ErrorText());
        continue;
      }
      CRQX340Json record;
      record.m_strName = entry.name;
      record.m_nSize = entry.size.value_or(file->Size());
      if (ReadOpenSummary(record, *file, std::span<char>(buffer.get(), kReadBufferSize),
                          folder_text, record.m_strName, report)) {
        records.push_back(std::move(record));
      }
    }
  }
  progress.Hide();
  return records;
}

}  // namespace rqx340
