// Where the exchange file's bytes go, and the one buffered writer in front of
// it. The sink is the seam between the format and the file system: the import
// run backs it with the exchange file, the CLI with its output file, tests with
// memory or with a sink that fails after so many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rqx340 {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends all of `bytes` after what was written so far; false on any error.
  virtual bool Write(std::span<const std::byte> bytes) = 0;
  // Overwrites bytes already written, starting at `offset`; false on any error.
  virtual bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) = 0;
};

// A sink straight onto a file object whose Write and WriteAt mean what the
// sink's do and return a Status (the platform's OutputFile and ReplacementFile).
template <typename File>
class FileSink final : public ByteSink {
 public:
  explicit FileSink(File& file) : m_file(file) {}
  bool Write(std::span<const std::byte> bytes) override { return Note(m_file.Write(bytes)); }
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    return Note(m_file.WriteAt(offset, bytes));
  }

  // Why the first failed write failed, in the system's words; empty when none did.
  const std::string& ErrorText() const { return m_strError; }

 private:
  template <typename Status>
  bool Note(const Status& status) {
    if (!status && m_strError.empty()) m_strError = status.ErrorText();
    return status.Ok();
  }

  File& m_file;
  std::string m_strError;
};

// Collects small writes into large ones, so that writing a value costs no
// system call. After the first failed write it writes nothing more and
// Failed() stays true.
class BufferedWriter {
 public:
  static constexpr std::size_t kDefaultCapacity = 1 << 18;

  explicit BufferedWriter(ByteSink& sink, std::size_t capacity = kDefaultCapacity);

  // The offset the next byte will have in the output.
  std::uint64_t Position() const { return m_nPosition; }
  bool Failed() const { return m_bFailed; }

  void Write(std::span<const std::byte> bytes);
  void WriteFloat32(float value) {
    if (m_buffer.size() - m_nUsed < 4 && !Flush()) return;
    StoreFloat32(value);
  }
  // Room for `size` bytes (at most the capacity) at the end of the buffer,
  // flushing first when there is not enough; empty once the writer has failed.
  // Commit(size) after filling it.
  std::span<std::byte> Reserve(std::size_t size);
  void Commit(std::size_t size) {
    m_nUsed += size;
    m_nPosition += size;
  }
  // Hands everything buffered to the sink; false when the writer has failed.
  bool Flush();
  // Flushes, then overwrites earlier output at `offset`.
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);

 private:
  void StoreFloat32(float value);

  ByteSink& m_sink;
  std::vector<std::byte> m_buffer;
  std::size_t m_nUsed = 0;
  std::uint64_t m_nPosition = 0;
  bool m_bFailed = false;
};

}  // namespace rqx340
