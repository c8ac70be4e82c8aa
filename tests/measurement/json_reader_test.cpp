#include "measurement/json_reader.h"

#include <gtest/gtest.h>
#include <rapidjson/error/en.h>

#include <array>
#include <string>
#include <vector>

#include "support/recording_progress.h"
#include "support/recording_rows.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::CallLog;
using test::RecordingMessagePump;
using test::RecordingProgressSink;
using test::TempDir;

std::vector<std::string> RefillCalls(std::size_t fills) {
  std::vector<std::string> calls;
  for (std::size_t i = 0; i < fills; ++i) {
    calls.push_back("stepit");
    calls.push_back("pump");
  }
  return calls;
}

// Parses `text` written to a file through the progress stream.
struct ParsedFile {
  rapidjson::Document document;
  test::RecordingRowSink rows;
  rapidjson::ParseErrorCode error = rapidjson::kParseErrorNone;
  std::vector<std::string> calls;
};

ParsedFile ParseText(const std::string& text) {
  TempDir dir;
  const auto path = dir.Write("m.rqx2", text);
  ParsedFile parsed;
  auto file = InputFile::Open(path.string());
  EXPECT_TRUE(file) << file.ErrorText();
  if (!file) return parsed;
  std::vector<char> buffer(kReadBufferSize);
  CallLog log;
  RecordingProgressSink progress(log);
  RecordingMessagePump pump(log);
  ProgressFileReadStream stream(&*file, buffer, progress, pump);
  parsed.error = ParseMeasurement(stream, parsed.document, parsed.rows).Code();
  parsed.calls = log.Calls();
  return parsed;
}

TEST(ProgressFileReadStreamTest, StepsAndPumpsOncePerRefill) {
  // A file read to its end takes size / 65536 + 1 fills, the last short or empty.
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 131072, 200000};
  for (const std::size_t size : sizes) {
    SCOPED_TRACE(size);
    TempDir dir;
    std::string contents(size, 'a');
    for (std::size_t i = 0; i < size; ++i) contents[i] = static_cast<char>('a' + i % 26);
    const auto path = dir.Write("f.rqx2", contents);
    auto file = InputFile::Open(path.string());
    ASSERT_TRUE(file) << file.ErrorText();
    std::array<char, kReadBufferSize> buffer{};
    CallLog log;
    RecordingProgressSink progress(log);
    RecordingMessagePump pump(log);
    ProgressFileReadStream stream(&*file, buffer, progress, pump);
    stream.Read();
    std::string read_back;
    while (stream.Peek() != '\0') read_back.push_back(stream.Take());
    EXPECT_EQ(read_back, contents);
    EXPECT_EQ(stream.Tell(), size);
    // Taking past the end stays on the NUL and reads nothing more.
    EXPECT_EQ(stream.Take(), '\0');
    EXPECT_EQ(stream.Take(), '\0');
    EXPECT_EQ(stream.Peek(), '\0');
    EXPECT_EQ(stream.Tell(), size);
    EXPECT_EQ(log.Calls(), RefillCalls(size / kReadBufferSize + 1));
  }
}

TEST(ProgressFileReadStreamTest, ReadErrorCountsAsEndOfFile) {
  // A regular file whose first read fails (EIO: nothing is mapped at address 0).
  auto file = InputFile::Open("/proc/self/mem");
  if (!file) GTEST_SKIP() << "no /proc/self/mem: " << file.ErrorText();
  std::vector<char> buffer(kReadBufferSize);
  CallLog log;
  RecordingProgressSink progress(log);
  RecordingMessagePump pump(log);
  ProgressFileReadStream stream(&*file, buffer, progress, pump);
  rapidjson::Document document;
  test::RecordingRowSink rows;
  const rapidjson::ParseResult result = ParseMeasurement(stream, document, rows);
  EXPECT_TRUE(stream.ReadFailed());
  EXPECT_TRUE(document.IsNull());
  EXPECT_EQ(result.Code(), rapidjson::kParseErrorDocumentEmpty);
  EXPECT_EQ(log.Calls(), RefillCalls(1));
}

TEST(ProgressFileReadStreamTest, AStopFromThePumpEndsTheInputAtThatBlock) {
  TempDir dir;
  std::string text = "[";
  while (text.size() < 3 * kReadBufferSize) text += "1,";
  text += "1]";
  auto file = InputFile::Open(dir.Write("m.rqx2", text).string());
  ASSERT_TRUE(file) << file.ErrorText();
  std::vector<char> buffer(kReadBufferSize);
  CallLog log;
  RecordingProgressSink progress(log);
  test::StoppingMessagePump pump(log, [](std::size_t call) { return call == 2; });
  ProgressFileReadStream stream(&*file, buffer, progress, pump);
  rapidjson::Document document;
  test::RecordingRowSink rows;
  const rapidjson::ParseResult result = ParseMeasurement(stream, document, rows);
  EXPECT_TRUE(stream.Stopped());
  EXPECT_FALSE(stream.ReadFailed());
  EXPECT_TRUE(document.IsNull());
  EXPECT_TRUE(result.IsError());
  // Nothing is read after the block whose pump stopped.
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"stepit", "pump", "stepit", "pump: stop"}));
}

TEST(ProgressFileReadStreamTest, EmptyBufferIsEmptyInput) {
  TempDir dir;
  auto file = InputFile::Open(dir.Write("f.rqx2", "{}").string());
  ASSERT_TRUE(file) << file.ErrorText();
  CallLog log;
  RecordingProgressSink progress(log);
  RecordingMessagePump pump(log);
  ProgressFileReadStream stream(&*file, std::span<char>(), progress, pump);
  rapidjson::Document document;
  test::RecordingRowSink rows;
  ParseMeasurement(stream, document, rows);
  EXPECT_TRUE(document.IsNull());
  EXPECT_TRUE(log.Calls().empty());
}

TEST(ParseMeasurementTest, AcceptsExactlyOneRootValue) {
  using rapidjson::kParseErrorNone;
  struct Case {
    const char* name;
    std::string text;
    rapidjson::ParseErrorCode error;
  };
  const Case cases[] = {
      {"object", R"({"a":1})", kParseErrorNone},
      {"whitespace around", " \t\r\n{\"a\":1}\n ", kParseErrorNone},
      {"empty file", "", rapidjson::kParseErrorDocumentEmpty},
      {"whitespace only", " \n\t ", rapidjson::kParseErrorDocumentEmpty},
      {"text after root", R"({"a":1} x)", rapidjson::kParseErrorDocumentRootNotSingular},
      {"second root", R"({"a":1}{})", rapidjson::kParseErrorDocumentRootNotSingular},
      {"NUL after root", std::string("{\"a\":1}\0 x", 10), kParseErrorNone},
      {"NUL inside string", std::string("{\"a\":\"x\0y\"}", 11),
       rapidjson::kParseErrorStringMissQuotationMark},
      {"NUL between members", std::string("{\"a\":1,\0\"b\":2}", 14),
       rapidjson::kParseErrorObjectMissName},
      {"trailing comma", R"({"a":[1,2,]})", rapidjson::kParseErrorValueInvalid},
      {"comment", "// c\n{}", rapidjson::kParseErrorValueInvalid},
      {"NaN", R"({"a":NaN})", rapidjson::kParseErrorValueInvalid},
      {"control byte in string", "{\"a\":\"x\ty\"}", rapidjson::kParseErrorStringEscapeInvalid},
      {"binary junk", std::string("\x89PNG\r\n\x1a\n", 8), rapidjson::kParseErrorValueInvalid},
      {"unclosed", R"({"a":[1,2)", rapidjson::kParseErrorArrayMissCommaOrSquareBracket},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ParsedFile parsed = ParseText(c.text);
    EXPECT_EQ(parsed.error, c.error) << rapidjson::GetParseError_En(parsed.error);
    EXPECT_EQ(parsed.document.IsNull(), c.error != kParseErrorNone);
    EXPECT_EQ(parsed.calls, RefillCalls(1));
  }
}

TEST(ParseMeasurementTest, EveryTruncationFailsCleanly) {
  const std::string text =
      R"({"Header":{"SerialNum":"RQ\u00e9","StartDateTime":1500000000},"Summary":{"AeqX":0.25,)"
      R"("Duration":60},"TimeHistory":[[1.5e-3,-2,3E+2],[]]})";
  for (std::size_t n = 0; n < text.size(); ++n) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(ParseText(text.substr(0, n)).document.IsNull());
  }
  EXPECT_TRUE(ParseText(text).document.IsObject());
}

TEST(ParseMeasurementTest, EmptyFileTakesOneFillAndOneStep) {
  const ParsedFile parsed = ParseText("");
  EXPECT_TRUE(parsed.document.IsNull());
  EXPECT_EQ(parsed.calls, RefillCalls(1));
}

TEST(ParseMeasurementTest, FileOfExactlyOneBlockTakesTwoFills) {
  std::string text = R"({"a":")";
  text += std::string(kReadBufferSize - text.size() - 2, 'x');
  text += "\"}";
  ASSERT_EQ(text.size(), kReadBufferSize);
  const ParsedFile parsed = ParseText(text);
  ASSERT_TRUE(parsed.document.IsObject());
  EXPECT_EQ(parsed.document["a"].GetStringLength(), kReadBufferSize - 8);
  EXPECT_EQ(parsed.calls, RefillCalls(2));
}

TEST(ParseMeasurementTest, FailedParseRecordsOffsetAndClearsReusedDocument) {
  rapidjson::Document document;
  document.SetObject();
  TempDir dir;
  auto file = InputFile::Open(dir.Write("m.rqx2", R"({"a":1} x)").string());
  ASSERT_TRUE(file) << file.ErrorText();
  std::vector<char> buffer(kReadBufferSize);
  NullProgressSink progress;
  NullMessagePump pump;
  ProgressFileReadStream stream(&*file, buffer, progress, pump);
  test::RecordingRowSink rows;
  const rapidjson::ParseResult result = ParseMeasurement(stream, document, rows);
  EXPECT_TRUE(document.IsNull());
  EXPECT_EQ(result.Offset(), 8u);
}

TEST(ParseMeasurementTest, DeepNestingDoesNotOverflowTheStack) {
  constexpr std::size_t kDepth = 100000;
  {
    const ParsedFile parsed = ParseText(std::string(kDepth, '[') + std::string(kDepth, ']'));
    ASSERT_TRUE(parsed.document.IsArray());
    const rapidjson::Value* value = &parsed.document;
    std::size_t depth = 0;
    while (value->IsArray() && value->Size() == 1) value = &(*value)[0], ++depth;
    EXPECT_EQ(depth, kDepth - 1);
  }
  {
    std::string objects;
    for (std::size_t i = 0; i < kDepth; ++i) objects += "{\"a\":";
    objects += "1";
    objects += std::string(kDepth, '}');
    EXPECT_TRUE(ParseText(objects).document.IsObject());
  }
  // Unbalanced: fails cleanly.
  EXPECT_TRUE(ParseText(std::string(kDepth, '[')).document.IsNull());
  // One level more than the limit: the null document.
  const ParsedFile deeper = ParseText(std::string(kDepth + 1, '[') + std::string(kDepth + 1, ']'));
  EXPECT_TRUE(deeper.document.IsNull());
  EXPECT_EQ(deeper.error, rapidjson::kParseErrorTermination);
}

TEST(ParseMeasurementTest, StoresValuesAsTheLibraryReadsThem) {
  const ParsedFile parsed =
      ParseText(R"({"i":-5,"u":3000000000,"big":9007199254740993,"d":1.5,"e":1e3,)"
                R"("s":"\u00e9\ud83d\ude00"})");
  ASSERT_TRUE(parsed.document.IsObject());
  const auto& doc = parsed.document;
  EXPECT_TRUE(doc["i"].IsInt());
  EXPECT_TRUE(doc["u"].IsUint());
  EXPECT_FALSE(doc["u"].IsInt());
  EXPECT_TRUE(doc["big"].IsInt64());
  EXPECT_TRUE(doc["d"].IsDouble());
  EXPECT_TRUE(doc["e"].IsDouble());
  EXPECT_STREQ(doc["s"].GetString(), "\xc3\xa9\xf0\x9f\x98\x80");
}

TEST(JsonMemberTest, LooksUpExactNamesFirstMatchFirst) {
  rapidjson::Document doc;
  doc.Parse(R"({"a":1,"a":2,"x":3,"obj":{"k":"v"},"arr":[10,20]})");
  ASSERT_TRUE(doc.IsObject());
  EXPECT_EQ(JsonMember(doc, "a").GetInt(), 1);
  EXPECT_TRUE(JsonMember(doc, "X").IsNull());
  EXPECT_TRUE(JsonMember(doc, "").IsNull());
  EXPECT_STREQ(JsonMember(JsonMember(doc, "obj"), "k").GetString(), "v");
  // Lookups through values that are not objects yield null.
  EXPECT_TRUE(JsonMember(JsonMember(doc, "a"), "k").IsNull());
  EXPECT_TRUE(JsonMember(JsonMember(doc, "missing"), "k").IsNull());
}

TEST(JsonMemberTest, MemberNameEndsAtItsFirstNul) {
  rapidjson::Document doc;
  doc.Parse(R"({"ab\u0000cd":1})");
  ASSERT_TRUE(doc.IsObject());
  EXPECT_EQ(JsonMember(doc, "ab").GetInt(), 1);
  EXPECT_TRUE(JsonMember(doc, "abcd").IsNull());
}

}  // namespace
}  // namespace rqx340
