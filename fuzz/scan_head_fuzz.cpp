// The folder scan's head parse on arbitrary bytes. ReadSummary reads the bytes
// as a measurement file, exactly as the scan does; then the pull parse runs over
// the same bytes in blocks of the production size and in tiny blocks, and both
// must see the same events.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "measurement/folder_scan.h"
#include "measurement/json_reader.h"
#include "measurement/key_value_handler.h"

namespace {

using namespace rqx340;

// Never destroyed, so that the exit handler can still remove it.
const std::filesystem::path& Folder() {
  static const std::filesystem::path* const folder = [] {
    std::random_device random;
    auto* path = new std::filesystem::path(
        std::filesystem::temp_directory_path() /
        ("rqx340-scan-fuzz-" + std::to_string(random()) + std::to_string(random())));
    std::filesystem::create_directories(*path);
    // libFuzzer ends through exit(), also after a finding.
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(Folder(), error);
    });
    return path;
  }();
  return *folder;
}

constexpr std::string_view kFileName = "input.rqx2";

struct PullOutcome {
  PullParseEnd end = PullParseEnd::kEndOfInput;
  std::uint64_t events = 0;
  std::uint64_t digest = 14695981039346656037u;  // FNV-1a over every event's state
  std::uint64_t blocks = 0;

  void Mix(std::string_view text) {
    for (const char c : text) {
      digest ^= static_cast<unsigned char>(c);
      digest *= 1099511628211u;
    }
    digest ^= 0xFF;  // a separator no text byte can fake on its own
    digest *= 1099511628211u;
  }
};

PullOutcome Pull(const std::uint8_t* data, std::size_t size, std::size_t buffer_size) {
  auto file = fuzz::OpenBytes(data, size);
  std::vector<char> buffer(buffer_size);
  BlockFileReadStream stream(file ? &*file : nullptr, buffer);
  KeyValueHandler handler;
  PullOutcome outcome;
  outcome.end = PullParse(stream, handler, [&](const KeyValueHandler& h) {
    // Texts end at their first NUL; a pair never has an empty value.
    FUZZ_CHECK(h.m_strKey.find('\0') == std::string::npos);
    FUZZ_CHECK(h.m_strValue.find('\0') == std::string::npos);
    ++outcome.events;
    outcome.Mix(h.m_strKey);
    outcome.Mix(h.m_strValue);
    outcome.Mix(std::string(1, static_cast<char>('0' + h.m_nState)));
    return true;
  });
  outcome.blocks = stream.BlocksRead();
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(Folder() / kFileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    FUZZ_CHECK(out.good());
  }
  CRQX340Json record;
  ScanReport report;
  const bool listed = ReadSummary(record, Folder().string(), kFileName, &report);
  FUZZ_CHECK(report.m_nFilesOpened == 1);
  // One block for every 65536 bytes the parse reaches, and one more for the end.
  FUZZ_CHECK(report.m_nBlocksRead >= 1 && report.m_nBlocksRead <= size / kReadBufferSize + 1);
  if (listed) {
    FUZZ_CHECK(record.m_strMode == "Vib" || record.m_strMode == "HA" || record.m_strMode == "WB");
    FUZZ_CHECK(record.m_tStart >= -1 && record.m_tStart <= 2147483647);
    FUZZ_CHECK(record.m_strSerialNum.find('\0') == std::string::npos);
    // Nothing beside the input: announced raw data is missing.
    FUZZ_CHECK(record.m_nRaw == 0 || record.m_nRaw == 2);
  }

  const PullOutcome full = Pull(data, size, kReadBufferSize);
  const PullOutcome tiny = Pull(data, size, 1 + size % 7);
  FUZZ_CHECK(full.end == tiny.end);
  FUZZ_CHECK(full.events == tiny.events);
  FUZZ_CHECK(full.digest == tiny.digest);
  return 0;
}
