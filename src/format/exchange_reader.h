// Reads an exchange file back: checks its structure the way the host relies on
// it and decodes every block. Used by `rqx340 dump`, by the reference host, and
// by the tests of the writer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "platform/input_file.h"

namespace rqx340 {

// Random access to the bytes of an exchange file.
class ExchangeSource {
 public:
  virtual ~ExchangeSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills all of `out` from `offset`; false when that is not possible.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::byte> out) const = 0;
};

// The file in memory (or mapped).
class MemorySource final : public ExchangeSource {
 public:
  explicit MemorySource(std::span<const std::byte> bytes) : m_bytes(bytes) {}
  std::uint64_t Size() const override { return m_bytes.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::byte> out) const override;

 private:
  std::span<const std::byte> m_bytes;
};

// A file on disk, opened for reading only.
class FileSource final : public ExchangeSource {
 public:
  // Fails when `path` is not a regular file that can be read.
  static Result<FileSource> Open(const std::string& path);
  std::uint64_t Size() const override { return m_file.Size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::byte> out) const override;

 private:
  explicit FileSource(InputFile file) : m_file(std::move(file)) {}
  // Reading moves the file's position, which is no part of the source's state.
  mutable InputFile m_file;
};

struct ExchangeHeader {
  std::int32_t version = 0;
  std::int32_t complete = 0;
  std::int32_t rowCount = 0;
  std::int32_t headerRecordsOffset = 0;
  std::int32_t timeRecordsOffset = 0;
  std::int32_t summaryRecordsOffset = 0;
  std::int32_t chanBlockOffset = 0;
  std::int32_t dtimBlockOffset = 0;
  std::int32_t channelRecordsOffset = 0;
  std::vector<std::int32_t> quantityBlockOffsets;  // the 4 x G entries in use
  std::int32_t dataOffset = 0;
};

// Texts are the file's bytes, in the host's ANSI code page.
struct TextRecord {
  std::string tag;
  std::string text;
};
struct IntRecord {
  std::string tag;
  std::int32_t value = 0;
};
struct FloatRecord {
  std::string tag;
  float value = 0.0f;
};
struct QuantityRecord {
  std::int32_t valueKind = 0;
  std::int32_t channelClass = 0;
  std::int32_t code = 0;
  std::string name;
  std::string unit;
};
struct QuantityBlock {
  int group = 0;
  int axis = 0;
  std::vector<QuantityRecord> records;
};

struct ExchangeFile {
  ExchangeHeader header;
  std::vector<TextRecord> headerRecords;
  std::vector<IntRecord> timeRecords;
  std::vector<FloatRecord> summaryRecords;
  std::vector<TextRecord> channelRecords;  // CHNM, FILT, BAND, WGHT, FTNM, STOC, LINA, CALB
  IntRecord chan;                          // the channel count, 4 x groups
  FloatRecord dtim;
  std::vector<QuantityBlock> quantityBlocks;  // group-major, axis-minor
  int groups = 0;
  std::uint64_t rowLength = 0;  // float32 values per data row
  std::uint64_t fileSize = 0;
};

// What is wrong with a file: the field, its offset in the file and why.
struct ExchangeReadError {
  std::string field;
  std::uint64_t offset = 0;
  std::string message;
};
std::string DescribeReadError(const ExchangeReadError& error);

// Checks the structure (version 5, `complete` 1, every offset inside the file
// and in writing order with no gap, every block's count and size, the channel
// layout, the row length it gives and the size of the data area) and decodes
// the blocks. nullopt with `error` filled in when the file is malformed.
std::optional<ExchangeFile> ReadExchangeFile(const ExchangeSource& source,
                                             ExchangeReadError* error = nullptr);

// Values `first` .. `first` + out.size() - 1 of data row `row` of a file that
// ReadExchangeFile accepted; false when they lie outside the row or the read fails.
bool ReadRowValues(const ExchangeSource& source, const ExchangeFile& file, std::uint64_t row,
                   std::uint64_t first, std::span<float> out);

}  // namespace rqx340
