// A message sink that keeps what it is given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/message_sink.h"

namespace rqx340::test {

class RecordingSink final : public MessageSink {
 public:
  struct Message {
    int id;
    std::string text;
  };
  void ShowMessage(int id, std::string_view text) override {
    messages.push_back({id, std::string(text)});
  }
  void ShowDetail(std::string_view text) override { details.emplace_back(text); }

  std::vector<Message> messages;
  std::vector<std::string> details;
};

}  // namespace rqx340::test
