// Reading measurement files: the streamed full parse into a document (import,
// convert) and the pull parse of a file's head that the folder scan uses.
#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/progress.h"
#include "measurement/row_sink.h"
#include "platform/input_file.h"

namespace rqx340 {

constexpr std::size_t kReadBufferSize = 65536;

namespace detail {

// RapidJSON's FileReadStream over a caller-owned buffer, shared by the two
// streams below; the file is opened with InputFile::Open. `Stream` hears of
// every read through its Refilled(). The end-of-input NUL goes at
// buffer[readCount] only after a short read, so it always lies inside the
// buffer.
template <typename Stream>
class RefillingReadStream {
 public:
  using Ch = char;

  Ch Peek() const { return *m_current; }
  Ch Take() {
    const Ch c = *m_current;
    Read();
    return c;
  }
  std::size_t Tell() const { return m_count + static_cast<std::size_t>(m_current - m_buffer); }
  void Read() {
    if (m_bufferLast != nullptr && m_current < m_bufferLast) {
      ++m_current;
      return;
    }
    if (m_eof) return;  // stays on the terminating NUL
    Refill();
    static_cast<Stream*>(this)->Refilled();
  }

  // A read failed; the input ended there.
  bool ReadFailed() const { return m_bReadFailed; }
  // The system's reason for that failure.
  const std::string& ReadError() const { return m_strReadError; }

  // Not an output stream; RapidJSON requires the names.
  Ch* PutBegin() { return nullptr; }
  void Put(Ch) {}
  void Flush() {}
  std::size_t PutEnd(Ch*) { return 0; }

 protected:
  // Ends the input at the start of the block just read.
  void EndInput() {
    m_current = m_buffer;
    m_buffer[0] = '\0';
    m_bufferLast = m_buffer;
    m_eof = true;
  }

  RefillingReadStream(InputFile* file, std::span<char> buffer)
      : m_file(file),
        m_buffer(buffer.empty() ? m_emptyBuffer : buffer.data()),
        m_bufferSize(buffer.size()),
        m_current(m_buffer) {
    if (m_bufferSize == 0) {
      // Nothing can be read into an empty buffer: the input is empty.
      m_bufferLast = m_buffer;
      m_eof = true;
    }
  }

 private:
  void Refill() {
    m_count += m_readCount;
    // A read error counts as a short read, that is, the end of the file.
    m_readCount = 0;
    if (m_file != nullptr) {
      const auto got = m_file->Read(std::as_writable_bytes(std::span(m_buffer, m_bufferSize)));
      m_bReadFailed = !got;
      if (!got) m_strReadError = got.ErrorText();
      m_readCount = got.ValueOr(0);
    }
    m_current = m_buffer;
    if (m_readCount < m_bufferSize) {
      m_buffer[m_readCount] = '\0';
      m_bufferLast = m_buffer + m_readCount;
      m_eof = true;
    } else {
      m_bufferLast = m_buffer + m_readCount - 1;
    }
  }

  InputFile* m_file;
  Ch* m_buffer;
  std::size_t m_bufferSize;
  Ch* m_bufferLast = nullptr;
  Ch* m_current;
  std::size_t m_readCount = 0;
  std::size_t m_count = 0;
  bool m_eof = false;
  bool m_bReadFailed = false;
  std::string m_strReadError;
  char m_emptyBuffer[1] = {0};  // stands in for an empty caller buffer
};

}  // namespace detail

// A RapidJSON input stream over an open file that steps the progress bar and
// pumps messages once per 65536-byte refill, before marking the end of input.
// `buffer` is caller-owned, normally kReadBufferSize bytes. Read() must be
// called once before the first Peek() (ParseMeasurement does that). When the
// pump sets the stop flag, the input ends there and the parse fails; the
// caller asks Stopped() before it uses the document.
class ProgressFileReadStream : public detail::RefillingReadStream<ProgressFileReadStream> {
 public:
  ProgressFileReadStream(InputFile* file, std::span<char> buffer, ProgressSink& progress,
                         MessagePump& pump)
      : RefillingReadStream(file, buffer), m_progress(progress), m_pump(pump) {}

  // The pump set the stop flag; the input ended there.
  bool Stopped() const { return m_stop != 0; }

 private:
  friend class detail::RefillingReadStream<ProgressFileReadStream>;
  void Refilled() {
    m_progress.StepIt();
    m_pump.PumpPendingMessages(&m_stop);
    if (m_stop != 0) EndInput();
  }

  ProgressSink& m_progress;
  MessagePump& m_pump;
  std::int32_t m_stop = 0;  // handed to the pump; this layer never sets it
};

// The plain block stream of the folder scan, with a count of its reads: it
// fills the buffer once on construction and again only when the parse runs
// past it. No progress steps, no pumping.
class BlockFileReadStream : public detail::RefillingReadStream<BlockFileReadStream> {
 public:
  BlockFileReadStream(InputFile* file, std::span<char> buffer) : RefillingReadStream(file, buffer) {
    Read();
  }

  // The reads made so far.
  std::uint64_t BlocksRead() const { return m_nBlocksRead; }

 private:
  friend class detail::RefillingReadStream<BlockFileReadStream>;
  void Refilled() { ++m_nBlocksRead; }

  std::uint64_t m_nBlocksRead = 0;
};

// The full parse: the first Read(), then the whole file into `document`, with
// the rows of its time history going to `rows` (see MeasurementHandler). On a
// parse error anywhere, even after the rows, the document is null, `rows` is
// told to discard what it got, and the result holds the error and its offset.
// Input nested deeper than kMaxNestingDepth fails with kParseErrorTermination.
rapidjson::ParseResult ParseMeasurement(ProgressFileReadStream& stream,
                                        rapidjson::Document& document, RowSink& rows);

// The same full parse of a measurement held in memory; a NUL byte ends the
// input as it does in a file.
rapidjson::ParseResult ParseMeasurementText(std::string_view text, rapidjson::Document& document,
                                            RowSink& rows);

// A parse error in words, for messages.
std::string_view DescribeParseError(rapidjson::ParseErrorCode error);

// The text of a JSON string up to its first NUL; nullopt for a value that is
// not a string. Every text taken from a measurement is read this way.
std::optional<std::string_view> JsonString(const rapidjson::Value& value);

// Lookups that never assert, for reading a parsed measurement. The member of
// `object` named exactly `name` (the first one when the name occurs twice; a
// member name ends at its first NUL); a null value when there is none or
// `object` is not an object.
const rapidjson::Value& JsonMember(const rapidjson::Value& object, std::string_view name);

}  // namespace rqx340
