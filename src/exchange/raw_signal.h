// Hands a measurement's raw acceleration signal to the host: the raw data file
// (samples of three float32 values X, Y, Z) is split into one axis file per axis,
// each with a 54-byte header and the axis's samples less their mean, and each is
// offered to the host in turn under the raw signal name with command 20.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/progress.h"
#include "exchange/handover_files.h"
#include "platform/temp_files.h"

namespace rqx340 {

inline constexpr std::size_t kRawSampleSize = 12;
inline constexpr std::size_t kAxisHeaderSize = 54;
inline constexpr std::size_t kAxisPeakOffset = 0x20;
// Samples in memory at a time, whatever the size of the raw data file.
inline constexpr std::size_t kRawChunkSamples = 50000;

// The axis file header: format 0, version 2, sample count, start time, two
// scale factors of 1.0, the peak, and a WAVEFORMATEX for mono float32 at 7162 Hz.
std::array<std::byte, kAxisHeaderSize> BuildAxisHeader(std::uint64_t sample_count,
                                                       std::int64_t start_time, float peak);

enum class RawHandoverResult {
  kHandedOver,  // the three axis files were offered (command 20 each) and taken
  kGone,        // nothing is at the raw data path any more: nothing sent, nothing to show
  kFailed,      // the raw signal did not reach the host whole (string 204): the raw data
                // file could not be opened or read, an axis file could not be made (nothing
                // sent then), or one could not be put in place or the host refused it
  kStopped,     // the pump set the stop flag while the axis files were made: nothing
                // sent, nothing left
};

// Sends command 20 for the raw signal file now in place; false when the host
// refused it.
using RawSignalCommand = std::function<bool()>;

// Splits `raw_path` into axis files under unique "~" ... "tmp" names in
// `folder`, then for X, Y and Z in turn removes a stale raw signal file (named
// after the exchange identifier `id`), moves the axis file there, calls `send`
// and removes it again. An axis file that cannot be moved is still announced,
// so the host counts the axes right, and is deleted afterwards: no axis file
// outlives the call. Messages are pumped once per chunk of samples, which
// keeps the window alive through a long signal.
RawHandoverResult HandOverRawSignal(const TempFolder& folder, std::string_view id,
                                    const TempNamer& namer, const std::string& raw_path,
                                    std::int64_t start_time, const RawSignalCommand& send,
                                    MessagePump& pump);

}  // namespace rqx340
