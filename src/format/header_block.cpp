// The header record block: tagged texts the host shows for a measurement.
#include <cstdio>
#include <string>

#include "format/block_buffer.h"
#include "format/json_access.h"
#include "format/record_tables.h"
#include "measurement/date_time.h"
#include "measurement/decimal_text.h"
#include "platform/code_page.h"
#include "platform/locale_pictures.h"

namespace rqx340 {
namespace {

namespace tr = layout::text_record;

// Records 0 to 12 and the three weighting records; the notes add two each.
constexpr std::size_t kFixedRecords = 16;
constexpr std::size_t kFirstNumberedNote = 13;
constexpr std::size_t kNoteFields = 4;  // NOTE, NOT1, NOT2, NOT3

struct NoteTexts {
  std::string text;  // ANSI
  std::string time;  // ANSI
};

// A note is an object whose first member carries it: the value is the text,
// the name the time in seconds followed by one character that is not part of
// the number.
NoteTexts ReadNote(const rapidjson::Value& note, const LocalePictures& locale) {
  if (!note.IsObject() || note.MemberCount() == 0) return {};
  const auto first = note.MemberBegin();
  NoteTexts texts;
  texts.text = ToAnsi(json::GetText(first->value));
  std::string_view name = json::MemberName(first->name);
  if (!name.empty()) name.remove_suffix(1);
  texts.time = ToAnsi(FormatDateTime(ReadDecimal64(name), locale));
  return texts;
}

class HeaderRecords {
 public:
  explicit HeaderRecords(BlockBuffer& buffer) : m_buffer(buffer) {}
  void Put(std::size_t index, std::string_view tag, std::string_view text) {
    const std::size_t offset = layout::RecordOffset(tr::kSize, index);
    PutAnsiText(m_buffer, offset + layout::kTag, layout::kTagSize, tag);
    PutAnsiText(m_buffer, offset + tr::kText, tr::kTextSize, text);
  }

 private:
  BlockBuffer& m_buffer;
};

}  // namespace

std::int32_t BuildHeaderBlock(BlockBuffer& buffer, const rapidjson::Value& document,
                              std::string_view file_name) {
  const auto& props = json::MeasProperties(document);
  const auto& notes = json::Member(document, "Notes");
  const std::size_t note_count = json::ArraySize(notes);
  if (note_count > (SIZE_MAX - kFixedRecords) / 2 ||
      !StartBlock(buffer, tr::kSize, kFixedRecords + 2 * note_count)) {
    return -1;
  }

  const std::string line1 = ToAnsi(json::GetText(json::Member(props, "TAG_REPORT_HEADER_0_6")));
  const std::string line2 = ToAnsi(json::GetText(json::Member(props, "TAG_REPORT_HEADER_1_7")));
  const std::string line3 = ToAnsi(json::GetText(json::Member(props, "TAG_REPORT_HEADER_2_8")));
  // The serial number goes to the host as its bytes; a missing one prints as
  // the C library prints a null string.
  const auto serial = json::GetString(json::Member(json::Member(document, "Header"), "SerialNum"));
  const std::string analyzer = "RQX340 " + std::string(serial.value_or("(null)"));

  HeaderRecords records(buffer);
  records.Put(0, "NAME", ToAnsi(file_name));
  records.Put(1, "ANLZ", analyzer);
  records.Put(2, "SITE", line1);
  records.Put(3, "OPER", line3);
  constexpr std::string_view kNoteTags[kNoteFields] = {"NOTE", "NOT1", "NOT2", "NOT3"};
  for (std::size_t i = 0; i < kNoteFields; ++i) {
    records.Put(4 + i, kNoteTags[i], "");
  }
  records.Put(8, "CALB", line2);
  records.Put(9, KeyToTag("TAG_OPERATING_MODE_20"),
              OperatingModeName(json::GetInt(json::Member(props, "TAG_OPERATING_MODE_20"))));
  records.Put(10, "REPORT_HEADER_0", line1);
  records.Put(11, "REPORT_HEADER_1", line2);
  records.Put(12, "REPORT_HEADER_2", line3);
  char tag[32];
  const LocalePictures locale = note_count > 0 ? UserLocalePictures() : LocalePictures();
  for (std::size_t k = 0; k < note_count; ++k) {
    const NoteTexts note = ReadNote(notes[static_cast<rapidjson::SizeType>(k)], locale);
    if (k < kNoteFields) records.Put(4 + k, kNoteTags[k], note.text);
    std::snprintf(tag, sizeof tag, "Notes%zu", k + 1);
    records.Put(kFirstNumberedNote + 2 * k, tag, note.text);
    std::snprintf(tag, sizeof tag, "Notes%zuTime", k + 1);
    records.Put(kFirstNumberedNote + 2 * k + 1, tag, note.time);
  }
  for (std::size_t axis = 0; axis < kWeightingKeys.size(); ++axis) {
    records.Put(kFirstNumberedNote + 2 * note_count + axis, KeyToTag(kWeightingKeys[axis]),
                WeightingName(json::GetInt(json::Member(props, kWeightingKeys[axis]))));
  }
  return BlockSize(buffer);
}

}  // namespace rqx340
