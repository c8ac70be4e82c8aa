// The pull parse of a measurement file's head: pairs each key with the string or
// number that follows it, handing control back to the caller after every event
// so that it can stop as soon as it has what it wants.
#pragma once

#include <rapidjson/reader.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "measurement/nesting_limit.h"

namespace rqx340 {

// The event sink of the pull parse. Texts are the UTF-8 bytes the reader
// delivers (escapes decoded), each ending at its first NUL.
class KeyValueHandler {
 public:
  using Ch = char;

  static constexpr std::int32_t kNothingYet = 0;
  static constexpr std::int32_t kComplete = 1;  // a pair is complete, or an object started
  static constexpr std::int32_t kAwaitingValue = 2;

  std::int32_t m_nState = kNothingYet;
  std::string m_strKey;    // the latest key
  std::string m_strValue;  // the value paired with it; empty until one arrives

  // (m_strKey, m_strValue) is a pair. It stays readable until the next key.
  bool HasPair() const { return m_nState == kComplete && !m_strValue.empty(); }

  // RapidJSON SAX events. A false return ends the parse: null, true and false
  // literals stop it.
  bool Null() { return false; }
  bool Bool(bool) { return false; }
  bool Int(int value) { return Scalar(std::to_string(value)); }
  bool Uint(unsigned value) { return Scalar(std::to_string(value)); }
  bool Int64(std::int64_t value) { return Scalar(std::to_string(value)); }
  bool Uint64(std::uint64_t value) { return Scalar(std::to_string(value)); }
  bool Double(double value);
  bool RawNumber(const Ch* text, rapidjson::SizeType length, bool) {
    return Scalar(UpToNul(text, length));
  }
  bool String(const Ch* text, rapidjson::SizeType length, bool) {
    return Scalar(UpToNul(text, length));
  }
  bool StartObject() {
    m_nState = kComplete;
    return true;
  }
  bool Key(const Ch* text, rapidjson::SizeType length, bool) {
    m_strKey.assign(UpToNul(text, length));
    m_strValue.clear();
    m_nState = kAwaitingValue;
    return true;
  }
  bool EndObject(rapidjson::SizeType) { return true; }
  bool StartArray() { return true; }
  bool EndArray(rapidjson::SizeType) { return true; }

 private:
  static std::string_view UpToNul(const Ch* text, rapidjson::SizeType length) {
    // Most texts are a few bytes long: a plain loop beats a call to memchr.
    rapidjson::SizeType end = 0;
    while (end < length && text[end] != '\0') ++end;
    return std::string_view(text, end);
  }
  bool Scalar(std::string_view text) {
    if (m_nState == kAwaitingValue) {
      m_strValue.assign(text);
      m_nState = kComplete;
    }
    return true;
  }
};

enum class PullParseEnd {
  kEndOfInput,  // the root value and the input ended
  kStoppedByCaller,
  kStoppedAtLiteral,  // a null, true or false literal
  kSyntaxError,       // including text after the root value
  kTooDeep,           // arrays and objects nested deeper than kMaxNestingDepth
};

namespace detail {

// Forwards every event to the KeyValueHandler, then lets the caller look at it.
template <typename OnEvent>
class SteppingHandler {
 public:
  using Ch = char;
  using SizeType = rapidjson::SizeType;

  SteppingHandler(KeyValueHandler& handler, OnEvent& on_event)
      : m_handler(handler), m_onEvent(on_event) {}

  bool StoppedByCaller() const { return m_stoppedByCaller; }
  bool TooDeep() const { return m_tooDeep; }

  bool Null() { return After(m_handler.Null()); }
  bool Bool(bool b) { return After(m_handler.Bool(b)); }
  bool Int(int i) { return After(m_handler.Int(i)); }
  bool Uint(unsigned u) { return After(m_handler.Uint(u)); }
  bool Int64(std::int64_t i) { return After(m_handler.Int64(i)); }
  bool Uint64(std::uint64_t u) { return After(m_handler.Uint64(u)); }
  bool Double(double d) { return After(m_handler.Double(d)); }
  bool RawNumber(const Ch* s, SizeType n, bool c) { return After(m_handler.RawNumber(s, n, c)); }
  bool String(const Ch* s, SizeType n, bool c) { return After(m_handler.String(s, n, c)); }
  bool StartObject() { return Enter() && After(m_handler.StartObject()); }
  bool Key(const Ch* s, SizeType n, bool c) { return After(m_handler.Key(s, n, c)); }
  bool EndObject(SizeType n) {
    --m_nDepth;
    return After(m_handler.EndObject(n));
  }
  bool StartArray() { return Enter() && After(m_handler.StartArray()); }
  bool EndArray(SizeType n) {
    --m_nDepth;
    return After(m_handler.EndArray(n));
  }

 private:
  bool Enter() {
    if (m_nDepth >= kMaxNestingDepth) {
      m_tooDeep = true;
      return false;
    }
    ++m_nDepth;
    return true;
  }

  bool After(bool go_on) {
    if (!go_on) return false;
    if (!m_onEvent(static_cast<const KeyValueHandler&>(m_handler))) {
      m_stoppedByCaller = true;
      return false;
    }
    return true;
  }

  KeyValueHandler& m_handler;
  OnEvent& m_onEvent;
  bool m_stoppedByCaller = false;
  bool m_tooDeep = false;
  std::uint32_t m_nDepth = 0;
};

}  // namespace detail

// Pull-parses `stream` into `handler`. After every event `on_event(handler)`
// is called; it returns false once the caller wants no more. Numbers reach the
// handler as their text; the nesting lives on the heap, so deep input cannot
// overflow the stack, and it ends past kMaxNestingDepth. `end_offset`, when
// given, gets the byte offset where a parse that did not reach the end of its
// input stopped: the syntax error, or just past the literal or bracket.
template <typename InputStream, typename OnEvent>
PullParseEnd PullParse(InputStream& stream, KeyValueHandler& handler, OnEvent&& on_event,
                       std::size_t* end_offset = nullptr) {
  detail::SteppingHandler<std::remove_reference_t<OnEvent>> stepping(handler, on_event);
  // The reader's nesting stack gets its allocator from here instead of from
  // the heap: the folder scan makes one reader per file.
  rapidjson::CrtAllocator allocator;
  rapidjson::Reader reader(&allocator);
  const rapidjson::ParseResult result =
      reader.Parse<rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseIterativeFlag>(
          stream, stepping);
  if (result) return PullParseEnd::kEndOfInput;
  if (end_offset != nullptr) *end_offset = result.Offset();
  if (result.Code() != rapidjson::kParseErrorTermination) return PullParseEnd::kSyntaxError;
  if (stepping.TooDeep()) return PullParseEnd::kTooDeep;
  return stepping.StoppedByCaller() ? PullParseEnd::kStoppedByCaller
                                    : PullParseEnd::kStoppedAtLiteral;
}

}  // namespace rqx340
