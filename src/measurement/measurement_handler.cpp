// Nesting, keys and the places where the time history starts and ends.
#include "measurement/measurement_handler.h"

namespace rqx340 {

namespace {

constexpr std::string_view kTimeHistory = "TimeHistory";

std::string_view UpToNul(const char* text, rapidjson::SizeType length) {
  const std::string_view view(text, length);
  return view.substr(0, view.find('\0'));
}

}  // namespace

void MeasurementHandler::FlushPending() {
  if (m_nPending == 0) return;
  m_rows.AddValues(std::span<const float>(m_pending.data(), m_nPending));
  m_nRowFlushed += m_nPending;
  m_nPending = 0;
}

bool MeasurementHandler::Enter() {
  if (m_nDepth >= kMaxNestingDepth) {
    m_bTooDeep = true;
    return false;
  }
  ++m_nDepth;
  return true;
}

void MeasurementHandler::Skip(Place resume) {
  m_resume = resume;
  m_nSkipDepth = m_nDepth - 1;
  m_place = Place::kSkipping;
}

bool MeasurementHandler::Key(const Ch* text, SizeType length, bool copy) {
  if (m_place != Place::kDocument) return true;  // keys inside skipped objects
  // Depth 1 in the document is the root object itself.
  if (m_nDepth == 1 && !m_bHistorySeen && UpToNul(text, length) == kTimeHistory) {
    m_bHistorySeen = true;
    m_bHistoryNext = true;
  }
  return m_document.Key(text, length, copy);
}

bool MeasurementHandler::StartObject() {
  if (!Enter()) return false;
  switch (m_place) {
    case Place::kDocument:
      m_bHistoryNext = false;
      return m_document.StartObject();
    case Place::kHistory:
      m_rows.EndRow(false);  // a row that is an object
      Skip(Place::kHistory);
      return true;
    case Place::kRow:
      PushNotANumber();
      Skip(Place::kRow);
      return true;
    case Place::kSkipping:
      return true;
  }
  return true;
}

bool MeasurementHandler::StartArray() {
  if (!Enter()) return false;
  switch (m_place) {
    case Place::kDocument:
      if (m_bHistoryNext) {
        m_bHistoryNext = false;
        m_place = Place::kHistory;
        return m_document.Null();  // stands in for the rows
      }
      return m_document.StartArray();
    case Place::kHistory:
      m_place = Place::kRow;
      m_nRowFlushed = 0;
      return true;
    case Place::kRow:
      PushNotANumber();
      Skip(Place::kRow);
      return true;
    case Place::kSkipping:
      return true;
  }
  return true;
}

bool MeasurementHandler::EndObject(SizeType member_count) {
  --m_nDepth;
  if (m_place == Place::kSkipping) {
    if (m_nDepth == m_nSkipDepth) m_place = m_resume;
    return true;
  }
  // Objects in the time history are always skipped, so this is the document's.
  return m_document.EndObject(member_count);
}

bool MeasurementHandler::EndArray(SizeType element_count) {
  --m_nDepth;
  switch (m_place) {
    case Place::kDocument:
      return m_document.EndArray(element_count);
    case Place::kHistory:
      m_place = Place::kDocument;  // the time history ends
      return true;
    case Place::kRow:
      FlushPending();
      m_rows.EndRow(true);
      m_place = Place::kHistory;
      return true;
    case Place::kSkipping:
      if (m_nDepth == m_nSkipDepth) m_place = m_resume;
      return true;
  }
  return true;
}

}  // namespace rqx340
