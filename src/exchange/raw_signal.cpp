// Splits the raw data file into three axis files in bounded chunks, then offers
// each in turn under the raw signal name.
#include "exchange/raw_signal.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "base/byte_order.h"
#include "platform/file_system.h"
#include "platform/input_file.h"

namespace rqx340 {

namespace {

constexpr int kAxes = 3;

// The axis files of one hand-over; whatever is still there at the end is removed.
class AxisFiles {
 public:
  explicit AxisFiles(const TempFolder& folder) : m_folder(folder) {}
  AxisFiles(const AxisFiles&) = delete;
  AxisFiles& operator=(const AxisFiles&) = delete;
  ~AxisFiles() {
    for (int axis = 0; axis < kAxes; ++axis) {
      m_files[axis].Close();
      if (!m_names[axis].empty()) m_folder.Remove(m_names[axis]);
    }
  }

  OutputFile& File(int axis) { return m_files[axis]; }
  std::string& Name(int axis) { return m_names[axis]; }

 private:
  const TempFolder& m_folder;
  std::array<OutputFile, kAxes> m_files;
  std::array<std::string, kAxes> m_names;
};

}  // namespace

std::array<std::byte, kAxisHeaderSize> BuildAxisHeader(std::uint64_t sample_count,
                                                       std::int64_t start_time, float peak) {
  std::array<std::byte, kAxisHeaderSize> header{};
  PutUint32(header, 0x00, 0);
  PutUint32(header, 0x04, 2);
  PutUint64(header, 0x08, sample_count);
  PutUint64(header, 0x10, static_cast<std::uint64_t>(start_time));
  PutFloat32(header, 0x18, 1.0f);
  PutFloat32(header, 0x1C, 1.0f);
  PutFloat32(header, kAxisPeakOffset, peak);
  // WAVEFORMATEX: IEEE float, mono, 7162 samples/s, 4 bytes a sample.
  PutUint16(header, 0x24, 3);      // wFormatTag
  PutUint16(header, 0x26, 1);      // nChannels
  PutUint32(header, 0x28, 7162);   // nSamplesPerSec
  PutUint32(header, 0x2C, 28648);  // nAvgBytesPerSec
  PutUint16(header, 0x30, 4);      // nBlockAlign
  PutUint16(header, 0x32, 32);     // wBitsPerSample
  PutUint16(header, 0x34, 0);      // cbSize
  return header;
}

RawHandoverResult HandOverRawSignal(const TempFolder& folder, std::string_view id,
                                    const TempNamer& namer, const std::string& raw_path,
                                    std::int64_t start_time, const RawSignalCommand& send,
                                    MessagePump& pump) {
  auto raw = InputFile::Open(raw_path);
  // A file gone since the scan is passed over; one that is there but does not
  // open would be lost without a word.
  if (!raw) return PathExists(raw_path) ? RawHandoverResult::kFailed : RawHandoverResult::kGone;
  const std::uint64_t sample_count = raw->Size() / kRawSampleSize;

  AxisFiles axes(folder);
  const auto empty_header = BuildAxisHeader(sample_count, start_time, 0.0f);
  for (int axis = 0; axis < kAxes; ++axis) {
    auto file = namer.CreateUnique(folder, "~", "tmp", axes.Name(axis));
    if (!file) return RawHandoverResult::kFailed;
    axes.File(axis) = std::move(*file);
    if (!axes.File(axis).Write(empty_header)) return RawHandoverResult::kFailed;
  }

  std::vector<std::byte> read_buffer(kRawChunkSamples * kRawSampleSize);
  std::array<std::vector<std::byte>, kAxes> axis_buffers;
  for (auto& buffer : axis_buffers) buffer.resize(kRawChunkSamples * 4);
  std::array<float, kAxes> peaks{};
  std::array<float, kAxes> means{};

  bool first_chunk = true;
  std::int32_t stop = 0;
  for (std::uint64_t done = 0; done < sample_count;) {
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(kRawChunkSamples, sample_count - done));
    const std::span<std::byte> chunk(read_buffer.data(), count * kRawSampleSize);
    // The file shrank under us or could not be read: the signal would be wrong.
    if (!raw->ReadExactly(chunk)) return RawHandoverResult::kFailed;

    std::array<double, kAxes> sums{};
    for (std::size_t i = 0; i < count; ++i) {
      for (int axis = 0; axis < kAxes; ++axis) {
        const float value = GetFloat32(chunk, i * kRawSampleSize + 4 * axis);
        if (value > peaks[axis]) peaks[axis] = value;
        if (first_chunk) sums[axis] += static_cast<double>(value);
      }
    }
    if (first_chunk) {
      for (int axis = 0; axis < kAxes; ++axis) {
        means[axis] = static_cast<float>(sums[axis] / static_cast<double>(count));
      }
      first_chunk = false;
    }
    for (int axis = 0; axis < kAxes; ++axis) {
      const std::span<std::byte> out(axis_buffers[axis].data(), count * 4);
      for (std::size_t i = 0; i < count; ++i) {
        const float value = GetFloat32(chunk, i * kRawSampleSize + 4 * axis) - means[axis];
        PutFloat32(out, 4 * i, value);
      }
      if (!axes.File(axis).Write(out)) return RawHandoverResult::kFailed;
    }
    done += count;
    pump.PumpPendingMessages(&stop);
    if (stop != 0) return RawHandoverResult::kStopped;
  }

  for (int axis = 0; axis < kAxes; ++axis) {
    std::array<std::byte, 4> peak{};
    PutFloat32(peak, 0, peaks[axis]);
    if (!axes.File(axis).WriteAt(kAxisPeakOffset, peak) || !axes.File(axis).Close()) {
      return RawHandoverResult::kFailed;
    }
  }
  read_buffer = {};
  for (auto& buffer : axis_buffers) buffer = {};

  const std::string signal_name = RawSignalName(id);
  bool whole = true;
  for (int axis = 0; axis < kAxes; ++axis) {
    folder.Remove(signal_name);
    if (folder.Rename(axes.Name(axis), signal_name)) {
      axes.Name(axis).clear();
    } else {
      whole = false;
    }
    if (!send()) whole = false;
    folder.Remove(signal_name);
    if (!axes.Name(axis).empty() && folder.Remove(axes.Name(axis))) axes.Name(axis).clear();
  }
  return whole ? RawHandoverResult::kHandedOver : RawHandoverResult::kFailed;
}

}  // namespace rqx340
