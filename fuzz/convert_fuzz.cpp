// The import's road for one measurement file: the full parse, then the
// exchange-file writer into memory, then the reader on what was written. The
// reader must accept every file the writer finished.
#include <rapidjson/document.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/progress.h"
#include "format/exchange_reader.h"
#include "format/exchange_writer.h"
#include "fuzz_support.h"
#include "measurement/json_reader.h"

namespace {

using namespace rqx340;

// Far beyond what a legitimate input of the fuzzer's length writes; a larger
// output comes from band counts read from the file and must end as a write error.
constexpr std::size_t kSinkLimit = 8u << 20;

// Checks the writer's progress protocol: position 0, step 1, range 0 .. rows,
// then one step per row.
class CheckingProgress final : public ProgressSink {
 public:
  void SetRange(std::int32_t low, std::int32_t high) override {
    FUZZ_CHECK(low == 0 && high >= 0);
    m_nHigh = high;
  }
  void SetPos(std::int32_t pos) override { FUZZ_CHECK(pos == 0); }
  void SetStep(std::int32_t step) override { FUZZ_CHECK(step == 1); }
  void StepIt() override { ++m_nSteps; }
  void Show() override {}
  void Hide() override {}

  std::int64_t Steps() const { return m_nSteps; }
  std::int32_t High() const { return m_nHigh; }

 private:
  std::int64_t m_nSteps = 0;
  std::int32_t m_nHigh = -1;
};

void Parse(const std::uint8_t* data, std::size_t size, std::size_t buffer_size,
           rapidjson::Document& document) {
  auto file = fuzz::OpenBytes(data, size);
  NullProgressSink progress;
  NullMessagePump pump;
  std::vector<char> buffer(buffer_size);
  ProgressFileReadStream stream(file ? &*file : nullptr, buffer, progress, pump);
  ParseMeasurement(stream, document);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rapidjson::Document document;
  Parse(data, size, kReadBufferSize, document);
  {
    // The block size must not change what the parse sees.
    rapidjson::Document tiny;
    Parse(data, size, 1 + size % 7, tiny);
    FUZZ_CHECK(tiny.HasParseError() == document.HasParseError());
    FUZZ_CHECK(tiny.GetParseError() == document.GetParseError());
    FUZZ_CHECK(tiny.GetErrorOffset() == document.GetErrorOffset());
  }
  if (document.HasParseError()) {
    FUZZ_CHECK(document.IsNull());
  }

  fuzz::CappedSink sink(kSinkLimit);
  CheckingProgress progress;
  NullMessagePump pump;
  const ExchangeWriteResult written =
      WriteExchangeFile(sink, document, "input.rqx2", progress, pump);
  if (!written.Ok()) {
    FUZZ_CHECK(written.status == ExchangeWriteStatus::kWriteFailed && sink.Refused());
    return 0;
  }
  FUZZ_CHECK(progress.High() == written.rowCount);
  FUZZ_CHECK(progress.Steps() == written.rowCount);

  const MemorySource source(sink.Bytes());
  ExchangeReadError error;
  const auto file = ReadExchangeFile(source, &error);
  if (!file) {
    std::fprintf(stderr, "the reader refuses the written file: %s\n",
                 DescribeReadError(error).c_str());
    std::abort();
  }
  FUZZ_CHECK(file->header.rowCount == written.rowCount);
  FUZZ_CHECK(file->header.dataOffset == written.dataOffset);
  FUZZ_CHECK(file->fileSize == sink.Bytes().size());
  if (written.rowCount > 0) {
    std::vector<float> row(file->rowLength);
    FUZZ_CHECK(ReadRowValues(source, *file, 0, 0, row));
    FUZZ_CHECK(
        ReadRowValues(source, *file, static_cast<std::uint64_t>(written.rowCount) - 1, 0, row));
  }
  return 0;
}
