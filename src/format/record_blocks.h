// The record blocks of the exchange file, built from a parsed measurement. Each
// builder sizes `buffer` to its block, zero-filled, puts the fields it sets and
// returns the block's size in bytes (4 + count x record size); bytes it does
// not set stay zero. A builder keeps every record the measurement calls for, so
// the count always matches the records that follow. The result is -1, with
// `buffer` left empty, only when the block would not fit the 32-bit sizes and
// offsets of the format.
#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/row_source.h"

namespace rqx340 {

using BlockBuffer = std::vector<std::byte>;

// The descriptive texts: file name, instrument, report-header lines, notes,
// operating mode and weightings. `file_name` (UTF-8) is the name the
// measurement file was listed under.
std::int32_t BuildHeaderBlock(BlockBuffer& buffer, const rapidjson::Value& document,
                              std::string_view file_name);

// The start time, four fixed codes and every 32-bit integer summary value.
std::int32_t BuildTimeBlock(BlockBuffer& buffer, const rapidjson::Value& document);

// The start time of the TIME record: the meter's clock reading
// ("Header"/"StartDateTime") taken as the computer's local time; -1 when it
// cannot be represented. The raw signal hand-over carries the same value.
std::int64_t MeasurementStartTime(const rapidjson::Value& document);

// The row count of `rows`, the per-axis settings and every real summary value.
std::int32_t BuildSummaryBlock(BlockBuffer& buffer, const rapidjson::Value& document,
                               const RowSource& rows);

// The eight per-channel lists (always 4356 bytes).
std::int32_t BuildChannelBlock(BlockBuffer& buffer, const rapidjson::Value& document);

// The quantities of channel (`group`, `axis`): the broadband group 0 stores
// rms, peak, vdv, min and max (no vdv on the sum axis, 3); an octave group one
// rms (odd group) or peak (even group) value.
std::int32_t BuildQuantityBlock(BlockBuffer& buffer, int group, int axis);

// The octave sets of a measurement, as its settings and columns give them.
struct ChannelLayout {
  bool fullOctave = false;   // "TAG_FULL_OCTAVE_54" is the integer 1
  bool thirdOctave = false;  // "TAG_THIRD_OCTAVE_55" is the integer 1
  int Groups() const { return 1 + (fullOctave ? 2 : 0) + (thirdOctave ? 2 : 0); }
};
ChannelLayout ReadChannelLayout(const rapidjson::Value& document);

}  // namespace rqx340
