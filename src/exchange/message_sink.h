// Where user messages go. The dialog shows each as a modal message box (OK
// button, caption kMessageCaption), the command line prints it to standard
// error, tests record it.
#pragma once

#include <cstdio>
#include <string_view>

namespace rqx340 {

inline constexpr std::string_view kMessageCaption = "ZUL4 RQX340";

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // A message for the user, built from string `id` of the string table.
  virtual void ShowMessage(int id, std::string_view text) = 0;
  // Why something failed, for whoever looks into it (a refused session
  // directory, a missing exchange area); not a message box of its own.
  virtual void ShowDetail(std::string_view text) = 0;
};

// Writes messages and details as lines to a stream (standard error for the CLI).
class StreamMessageSink final : public MessageSink {
 public:
  explicit StreamMessageSink(std::FILE* stream, std::string_view detail_prefix = {})
      : m_stream(stream), m_strDetailPrefix(detail_prefix) {}
  void ShowMessage(int, std::string_view text) override {
    std::fprintf(m_stream, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(m_stream);
  }
  void ShowDetail(std::string_view text) override {
    std::fprintf(m_stream, "%.*s%.*s\n", static_cast<int>(m_strDetailPrefix.size()),
                 m_strDetailPrefix.data(), static_cast<int>(text.size()), text.data());
    std::fflush(m_stream);
  }

 private:
  std::FILE* m_stream;
  std::string_view m_strDetailPrefix;
};

}  // namespace rqx340
