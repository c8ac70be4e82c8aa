// Reading measurement files: the streamed full parse into a document (import,
// convert) and the pull parse of a file's head that the folder scan uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include <rapidjson/document.h>

#include "measurement/progress.h"

namespace rqx340 {

constexpr std::size_t kReadBufferSize = 65536;

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a measurement file for binary reading, the path taken as the file
// system's bytes. Null when it does not open, or is not a regular file.
UniqueFile OpenMeasurementFile(const std::string& path);

// A RapidJSON input stream over an open file that steps the progress bar and
// pumps messages once per 65536-byte refill, before marking the end of input.
class ProgressFileReadStream {
 public:
  using Ch = char;

  // `buffer` holds kReadBufferSize bytes plus one for the end-of-input NUL.
  ProgressFileReadStream(std::FILE* file, std::span<char> buffer, ProgressSink& progress,
                         MessagePump& pump);

  Ch Peek() const { return *m_current; }
  Ch Take() {
    const Ch c = *m_current;
    Read();
    return c;
  }
  std::size_t Tell() const { return m_count + static_cast<std::size_t>(m_current - m_buffer); }
  void Read();

  // Not an output stream; RapidJSON requires the names.
  Ch* PutBegin() { return nullptr; }
  void Put(Ch) {}
  void Flush() {}
  std::size_t PutEnd(Ch*) { return 0; }

 private:
  std::FILE* m_file;
  Ch* m_buffer;
  std::size_t m_bufferSize;
  Ch* m_bufferLast = nullptr;
  Ch* m_current;
  std::size_t m_readCount = 0;
  std::size_t m_count = 0;
  bool m_eof = false;
  ProgressSink& m_progress;
  MessagePump& m_pump;
  std::int32_t m_stop = 0;
};

// The full parse: the first Read(), then the whole file into `document`. On a
// parse error the document stays null and holds the error and its offset.
void ParseMeasurement(ProgressFileReadStream& stream, rapidjson::Document& document);

}  // namespace rqx340
