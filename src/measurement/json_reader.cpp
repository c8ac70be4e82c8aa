#include "measurement/json_reader.h"

#include <rapidjson/reader.h>

#include <algorithm>

namespace rqx340 {

UniqueFile OpenMeasurementFile(const std::string& path) { return OpenRegularFile(path); }

ProgressFileReadStream::ProgressFileReadStream(std::FILE* file, std::span<char> buffer,
                                               ProgressSink& progress, MessagePump& pump)
    : m_file(file),
      m_buffer(buffer.empty() ? m_emptyBuffer : buffer.data()),
      m_bufferSize(buffer.size()),
      m_current(m_buffer),
      m_progress(progress),
      m_pump(pump) {
  if (m_bufferSize == 0) {
    // Nothing can be read into an empty buffer: the input is empty.
    m_bufferLast = m_buffer;
    m_eof = true;
  }
}

void ProgressFileReadStream::Read() {
  if (m_bufferLast != nullptr && m_current < m_bufferLast) {
    ++m_current;
    return;
  }
  if (m_eof) return;  // stays on the terminating NUL
  m_count += m_readCount;
  // A read error counts as a short read, that is, the end of the file.
  m_readCount = m_file != nullptr ? std::fread(m_buffer, 1, m_bufferSize, m_file) : 0;
  m_current = m_buffer;
  m_progress.StepIt();
  m_pump.PumpPendingMessages(&m_stop);
  if (m_readCount < m_bufferSize) {
    m_buffer[m_readCount] = '\0';
    m_bufferLast = m_buffer + m_readCount;
    m_eof = true;
  } else {
    m_bufferLast = m_buffer + m_readCount - 1;
  }
}

BlockFileReadStream::BlockFileReadStream(std::FILE* file, std::span<char> buffer)
    : m_file(file),
      m_buffer(buffer.empty() ? m_emptyBuffer : buffer.data()),
      m_bufferSize(buffer.size()),
      m_current(m_buffer) {
  if (m_bufferSize == 0) {
    m_bufferLast = m_buffer;
    m_eof = true;
    return;
  }
  Read();
}

void BlockFileReadStream::Read() {
  if (m_bufferLast != nullptr && m_current < m_bufferLast) {
    ++m_current;
    return;
  }
  if (m_eof) return;
  m_count += m_readCount;
  m_readCount = m_file != nullptr ? std::fread(m_buffer, 1, m_bufferSize, m_file) : 0;
  ++m_nBlocksRead;
  m_current = m_buffer;
  if (m_readCount < m_bufferSize) {
    m_buffer[m_readCount] = '\0';
    m_bufferLast = m_buffer + m_readCount;
    m_eof = true;
  } else {
    m_bufferLast = m_buffer + m_readCount - 1;
  }
}

void ParseMeasurement(ProgressFileReadStream& stream, rapidjson::Document& document) {
  stream.Read();
  // A reused document must not keep its old value when this parse fails.
  document.SetNull();
  // The iterative parser keeps its nesting on the heap, so no input, however
  // deep, can overflow the call stack.
  document.ParseStream<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag,
                       rapidjson::UTF8<>>(stream);
}

namespace {

const rapidjson::Value& NullValue() {
  static const rapidjson::Value null_value;
  return null_value;
}

}  // namespace

const rapidjson::Value& JsonMember(const rapidjson::Value& object, std::string_view name) {
  if (!object.IsObject()) return NullValue();
  for (auto it = object.MemberBegin(); it != object.MemberEnd(); ++it) {
    if (!it->name.IsString()) continue;
    const char* text = it->name.GetString();
    const std::size_t length = it->name.GetStringLength();
    const std::size_t used = static_cast<std::size_t>(std::find(text, text + length, '\0') - text);
    if (std::string_view(text, used) == name) return it->value;
  }
  return NullValue();
}

const rapidjson::Value& JsonElement(const rapidjson::Value& array, std::size_t index) {
  if (!array.IsArray() || index >= array.Size()) return NullValue();
  return array[static_cast<rapidjson::SizeType>(index)];
}

}  // namespace rqx340
