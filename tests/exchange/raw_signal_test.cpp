#include "exchange/raw_signal.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/rqx340_client.h"
#include "support/faulty_temp_folder.h"
#include "support/fifo.h"
#include "support/raw_samples.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::AsString;
using test::FloatAt;
using test::FolderNames;
using test::RawBytes;
using test::ReadFileBytes;
using test::Sample;
using test::U64At;

constexpr std::int64_t kStart = 0x0102030405060708;

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string out;
  for (unsigned value : values) out.push_back(static_cast<char>(value));
  return out;
}

// The sample count of an axis file.
std::uint64_t CountAt(const std::string& bytes) { return U64At(bytes, 8); }

TEST(AxisHeader, MatchesTheLayoutByteForByte) {
  const std::string expected = Bytes({
      0x00, 0x00, 0x00, 0x00,                          // 0x00 int32 0
      0x02, 0x00, 0x00, 0x00,                          // 0x04 int32 2
      0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 0x08 samples
      0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // 0x10 start time
      0x00, 0x00, 0x80, 0x3F,                          // 0x18 1.0
      0x00, 0x00, 0x80, 0x3F,                          // 0x1C 1.0
      0x00, 0x00, 0xC0, 0x3F,                          // 0x20 peak 1.5
      0x03, 0x00,                                      // 0x24 IEEE float
      0x01, 0x00,                                      // 0x26 one channel
      0xFA, 0x1B, 0x00, 0x00,                          // 0x28 7162 samples/s
      0xE8, 0x6F, 0x00, 0x00,                          // 0x2C 28648 bytes/s
      0x04, 0x00,                                      // 0x30 block alignment
      0x20, 0x00,                                      // 0x32 32 bits
      0x00, 0x00,                                      // 0x34 no extra bytes
  });
  ASSERT_EQ(expected.size(), 54u);
  EXPECT_EQ(AsString(BuildAxisHeader(1, kStart, 1.5f)), expected);
}

TEST(AxisHeader, NegativeStartTimeAndLargeCount) {
  const std::string header = AsString(BuildAxisHeader(0x1122334455667788u, -1, 0.0f));
  EXPECT_EQ(header.substr(0x08, 8), Bytes({0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(header.substr(0x10, 8), std::string(8, '\xFF'));
  EXPECT_EQ(header.substr(0x20, 4), std::string(4, '\0'));
}

class RawSignalTest : public ::testing::Test {
 protected:
  RawSignalTest() : m_folder(*TempFolder::Open(m_temp.Path().string())) {}

  std::string WriteRaw(const std::string& bytes) { return m_input.Write("m.raw", bytes).string(); }

  // Runs the hand-over and keeps what the host would find at each command 20.
  RawHandoverResult HandOver(const TempFolder& folder, const std::string& raw_path) {
    return HandOverRawSignal(
        folder, kExchangeId, m_namer, raw_path, kStart,
        [&] {
          const auto signal = m_temp.Path() / "ZURQX340WAV.$$$";
          m_received.push_back(std::filesystem::exists(signal) ? ReadFileBytes(signal)
                                                               : "<missing>");
          m_seen.push_back(FolderNames(m_temp.Path()));
          return static_cast<int>(m_received.size()) != m_refusedAxis;
        },
        m_pump);
  }

  std::vector<std::string> Remaining() const { return FolderNames(m_temp.Path()); }

  test::TempDir m_temp;
  test::TempDir m_input;
  TempFolder m_folder;
  TempNamer m_namer{[] { return 0xABCD0000u; }, 42};
  test::CallLog m_pumps;
  test::RecordingMessagePump m_pump{m_pumps};
  std::vector<std::string> m_received;
  std::vector<std::vector<std::string>> m_seen;
  int m_refusedAxis = 0;  // 1-based: the command 20 the host refuses; 0 none
};

TEST_F(RawSignalTest, EmptyRawFileStillSendsThreeHeaders) {
  ASSERT_EQ(HandOver(m_folder, WriteRaw("")), RawHandoverResult::kHandedOver);
  ASSERT_EQ(m_received.size(), 3u);
  for (const std::string& file : m_received) {
    EXPECT_EQ(file, AsString(BuildAxisHeader(0, kStart, 0.0f)));
  }
  EXPECT_TRUE(Remaining().empty());
}

TEST_F(RawSignalTest, ThirteenBytesGiveOneSample) {
  std::string raw = RawBytes({{1.5f, -2.0f, 3.25f}});
  raw.push_back('\x7F');
  ASSERT_EQ(HandOver(m_folder, WriteRaw(raw)), RawHandoverResult::kHandedOver);
  ASSERT_EQ(m_received.size(), 3u);
  const float peaks[] = {1.5f, 0.0f, 3.25f};
  for (int axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    const std::string& file = m_received[axis];
    ASSERT_EQ(file.size(), 58u);
    EXPECT_EQ(file.substr(0, 54), AsString(BuildAxisHeader(1, kStart, peaks[axis])));
    // The mean of a single sample is the sample itself.
    EXPECT_EQ(file.substr(54), std::string(4, '\0'));
  }
}

TEST_F(RawSignalTest, MeansComeFromTheFirstChunkOnly) {
  // X: 1 in the first 50000 samples, 5 after; Y always negative; Z alternates.
  std::vector<Sample> samples(120000);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = {i < 50000 ? 1.0f : 5.0f, -1.0f - static_cast<float>(i % 4),
                  i % 2 == 0 ? 0.25f : 0.75f};
  }
  ASSERT_EQ(HandOver(m_folder, WriteRaw(RawBytes(samples))), RawHandoverResult::kHandedOver);
  ASSERT_EQ(m_received.size(), 3u);

  // First-chunk means: X 1.0, Y -2.5, Z 0.5 (over all samples X would be 3.33).
  const float peaks[] = {5.0f, 0.0f, 0.75f};
  const float y_out[] = {1.5f, 0.5f, -0.5f, -1.5f};
  for (int axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    const std::string& file = m_received[axis];
    ASSERT_EQ(file.size(), 54u + 4u * 120000u);
    EXPECT_EQ(file.substr(0, 54), AsString(BuildAxisHeader(120000, kStart, peaks[axis])));
    EXPECT_EQ(CountAt(file), 120000u);
    int mismatches = 0;
    for (std::size_t i = 0; i < 120000; ++i) {
      float expected = 0;
      if (axis == 0) expected = i < 50000 ? 0.0f : 4.0f;
      if (axis == 1) expected = y_out[i % 4];
      if (axis == 2) expected = i % 2 == 0 ? -0.25f : 0.25f;
      if (FloatAt(file, 54 + 4 * i) != expected && ++mismatches < 5) {
        ADD_FAILURE() << "sample " << i << ": " << FloatAt(file, 54 + 4 * i) << " != " << expected;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
  EXPECT_TRUE(Remaining().empty());
}

TEST_F(RawSignalTest, PumpsOncePerChunkAndAStopLeavesNothing) {
  const std::string raw = WriteRaw(RawBytes(std::vector<Sample>(2 * kRawChunkSamples + 1)));
  ASSERT_EQ(HandOver(m_folder, raw), RawHandoverResult::kHandedOver);
  EXPECT_EQ(m_pumps.Calls(), (std::vector<std::string>{"pump", "pump", "pump"}));

  // Stopped after the second chunk: no command, no axis file, no signal file.
  m_received.clear();
  test::CallLog calls;
  test::StoppingMessagePump stopping(calls, [](std::size_t call) { return call == 2; });
  int sent = 0;
  EXPECT_EQ(HandOverRawSignal(
                m_folder, kExchangeId, m_namer, raw, kStart,
                [&] {
                  ++sent;
                  return true;
                },
                stopping),
            RawHandoverResult::kStopped);
  EXPECT_EQ(calls.Calls(), (std::vector<std::string>{"pump", "pump: stop"}));
  EXPECT_EQ(sent, 0);
  EXPECT_TRUE(Remaining().empty());
}

TEST_F(RawSignalTest, MeanIsSubtractedInSinglePrecision) {
  // Mean of 1 and 2^24 + 2 is 8388609.5, which rounds to the float 8388610;
  // 1 - 8388610 in single precision is -8388609.
  ASSERT_EQ(HandOver(m_folder, WriteRaw(RawBytes({{1.0f, 0, 0}, {16777218.0f, 0, 0}}))),
            RawHandoverResult::kHandedOver);
  ASSERT_EQ(m_received.size(), 3u);
  EXPECT_EQ(FloatAt(m_received[0], 54), -8388609.0f);
  EXPECT_EQ(FloatAt(m_received[0], 58), 8388608.0f);
  EXPECT_EQ(FloatAt(m_received[0], 0x20), 16777218.0f);
}

TEST_F(RawSignalTest, StaleSignalFileIsReplacedAndAxisFilesWaitUnderUniqueNames) {
  m_temp.Write("ZURQX340WAV.$$$", "stale");
  ASSERT_EQ(HandOver(m_folder, WriteRaw(RawBytes({{1, 2, 3}}))), RawHandoverResult::kHandedOver);
  ASSERT_EQ(m_received.size(), 3u);
  EXPECT_EQ(m_received[0].size(), 58u);
  // While X is with the host, Y and Z wait under the names made for them.
  EXPECT_EQ(m_seen[0],
            (std::vector<std::string>{"ZURQX340WAV.$$$", "~_42_ABCD0001tmp", "~_42_ABCD0002tmp"}));
  EXPECT_EQ(m_seen[1], (std::vector<std::string>{"ZURQX340WAV.$$$", "~_42_ABCD0002tmp"}));
  EXPECT_EQ(m_seen[2], (std::vector<std::string>{"ZURQX340WAV.$$$"}));
  EXPECT_TRUE(Remaining().empty());
}

// A raw data file gone since the scan is passed over; one that is there but
// does not open is a failure the user hears of.
TEST_F(RawSignalTest, RawFileThatDoesNotOpenSendsNothing) {
  if (!test::MakeFifo((m_input.Path() / "fifo.raw").string())) GTEST_SKIP() << "no FIFOs here";
  const struct {
    std::string path;
    RawHandoverResult result;
  } cases[] = {
      {"", RawHandoverResult::kGone},
      {(m_input.Path() / "missing.raw").string(), RawHandoverResult::kGone},
      {(m_input.Path() / "missing" / "m.raw").string(), RawHandoverResult::kGone},
      {m_input.Path().string(), RawHandoverResult::kFailed},
      {(m_input.Path() / "fifo.raw").string(), RawHandoverResult::kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(HandOver(m_folder, c.path), c.result);
  }
  EXPECT_TRUE(m_received.empty());
  EXPECT_TRUE(Remaining().empty());
}

TEST_F(RawSignalTest, AxisFileFailuresSkipTheHandOver) {
  struct Case {
    const char* what;
    int failing_create;  // 1-based
    test::CreateFault fault;
  };
  const Case cases[] = {
      {"first axis file cannot be created", 1, test::CreateFault::kRefuse},
      {"second axis file cannot be created", 2, test::CreateFault::kRefuse},
      {"third axis file cannot be written", 3, test::CreateFault::kDiskFull},
  };
  const std::string raw = WriteRaw(RawBytes({{1, 2, 3}, {4, 5, 6}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::FaultyTempFolder folder(*TempFolder::Open(m_temp.Path().string()));
    int creates = 0;
    folder.create_fault = [&](std::string_view) {
      return ++creates == c.failing_create ? c.fault : test::CreateFault::kNone;
    };
    EXPECT_EQ(HandOver(folder, raw), RawHandoverResult::kFailed);
    EXPECT_TRUE(m_received.empty());
    EXPECT_TRUE(Remaining().empty());
  }
}

// A signal that does not reach the host whole fails, but every axis is still
// announced, so the host counts the axes by their position.
TEST_F(RawSignalTest, AFailedMoveOrARefusedAxisFailsAfterAllThreeAreSent) {
  for (const bool refuse : {false, true}) {
    SCOPED_TRACE(refuse ? "host refuses Y" : "move fails");
    m_received.clear();
    test::FaultyTempFolder folder(*TempFolder::Open(m_temp.Path().string()));
    folder.fail_rename = !refuse;
    m_refusedAxis = refuse ? 2 : 0;
    ASSERT_EQ(HandOver(folder, WriteRaw(RawBytes({{1, 2, 3}}))), RawHandoverResult::kFailed);
    ASSERT_EQ(m_received.size(), 3u);
    for (const std::string& received : m_received) {
      EXPECT_EQ(received == "<missing>", !refuse);
    }
    EXPECT_TRUE(Remaining().empty());
  }
}

}  // namespace
}  // namespace rqx340
