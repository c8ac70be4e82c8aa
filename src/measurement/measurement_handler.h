// The event handler of the full parse. It builds the document from every
// member of the measurement except the time history, which it streams to a row
// sink instead, and it stops any input nested deeper than the limit.
#pragma once

#include <rapidjson/document.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "measurement/nesting_limit.h"
#include "measurement/row_sink.h"

namespace rqx340 {

// The time history is the value of the root's first member named
// "TimeHistory" (a name ends at its first NUL, as in every lookup). When it is
// an array, each of its elements is a row and goes to `rows`; the document
// keeps a null value in its place, so that member counts and the order of
// every other member stay as the file has them. Any other value of that member,
// and every later member of the same name, is kept in the document like the
// rest, and there are no rows.
class MeasurementHandler {
 public:
  using Ch = char;
  using SizeType = rapidjson::SizeType;

  MeasurementHandler(rapidjson::Document& document, RowSink& rows)
      : m_document(document), m_rows(rows) {}

  // The parse ended because the input nested deeper than kMaxNestingDepth.
  bool TooDeep() const { return m_bTooDeep; }

  bool Null() {
    return Scalar([this] { return m_document.Null(); });
  }
  bool Bool(bool b) {
    return Scalar([this, b] { return m_document.Bool(b); });
  }
  // A row keeps what the conversion makes of a number: its value as a double,
  // rounded to float32.
  bool Int(int i) {
    return Number(static_cast<double>(i), [this, i] { return m_document.Int(i); });
  }
  bool Uint(unsigned u) {
    return Number(static_cast<double>(u), [this, u] { return m_document.Uint(u); });
  }
  bool Int64(std::int64_t i) {
    return Number(static_cast<double>(i), [this, i] { return m_document.Int64(i); });
  }
  bool Uint64(std::uint64_t u) {
    return Number(static_cast<double>(u), [this, u] { return m_document.Uint64(u); });
  }
  bool Double(double d) {
    return Number(d, [this, d] { return m_document.Double(d); });
  }
  bool RawNumber(const Ch* text, SizeType length, bool copy) {
    return Scalar([=, this] { return m_document.RawNumber(text, length, copy); });
  }
  bool String(const Ch* text, SizeType length, bool copy) {
    return Scalar([=, this] { return m_document.String(text, length, copy); });
  }
  bool Key(const Ch* text, SizeType length, bool copy);
  bool StartObject();
  bool EndObject(SizeType member_count);
  bool StartArray();
  bool EndArray(SizeType element_count);

 private:
  enum class Place : std::uint8_t {
    kDocument,  // everything but the time history
    kHistory,   // between the rows of the time history
    kRow,       // among the elements of a row
    kSkipping,  // inside an array or object that stands for 0.0 or for a row that is no array
  };

  // Most rows fit; a longer one reaches the sink in parts.
  static constexpr std::size_t kPendingValues = 1024;

  // Anything but a number: in a row it reads as 0.0.
  template <typename ToDocument>
  bool Scalar(ToDocument to_document) {
    switch (m_place) {
      case Place::kDocument:
        m_bHistoryNext = false;
        return to_document();
      case Place::kHistory:
        m_rows.EndRow(false);
        return true;
      case Place::kRow:
        PushNotANumber();
        return true;
      case Place::kSkipping:
        return true;
    }
    return true;
  }
  template <typename ToDocument>
  bool Number(double value, ToDocument to_document) {
    if (m_place == Place::kRow) {
      Push(static_cast<float>(value));
      return true;
    }
    return Scalar(to_document);
  }

  void Push(float value) {
    m_pending[m_nPending++] = value;
    if (m_nPending == m_pending.size()) FlushPending();
  }
  // A row element that is not a number: 0.0, as the conversion reads it, and
  // the sink is told.
  void PushNotANumber() {
    m_rows.NotANumber(m_nRowFlushed + m_nPending);
    Push(0.0f);
  }
  void FlushPending();
  // One level deeper; false past the limit.
  bool Enter();
  // Skips the container just entered; the place is `resume` after it closes.
  void Skip(Place resume);

  rapidjson::Document& m_document;
  RowSink& m_rows;
  Place m_place = Place::kDocument;
  Place m_resume = Place::kDocument;
  std::uint32_t m_nDepth = 0;      // arrays and objects open
  std::uint32_t m_nSkipDepth = 0;  // the depth at which the skipped container has closed
  bool m_bHistorySeen = false;     // the root's first "TimeHistory" member has been met
  bool m_bHistoryNext = false;     // the next value is that member's
  bool m_bTooDeep = false;
  std::size_t m_nPending = 0;
  std::uint64_t m_nRowFlushed = 0;  // values of the row in hand already handed over
  std::array<float, kPendingValues> m_pending{};
};

}  // namespace rqx340
