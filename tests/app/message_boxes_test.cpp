#include "app/message_boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rqx340 {
namespace {

class RecordingBoxes final : public MessageBoxes {
 public:
  std::vector<std::string> boxes;

 protected:
  void ShowBox(const std::string& text) override { boxes.push_back(text); }
};

TEST(MessageBoxesTest, DetailsGoOnLinesBeforeTheNextMessageOnly) {
  RecordingBoxes sink;
  sink.ShowMessage(207, "first");
  sink.ShowDetail("session directory refused");
  sink.ShowDetail("no exchange area");
  EXPECT_EQ(sink.boxes.size(), 1u);  // a detail has no box of its own
  sink.ShowMessage(207, "no connection");
  sink.ShowHostError(3, 550, "host error");
  EXPECT_EQ(sink.boxes, (std::vector<std::string>{
                            "first", "session directory refused\nno exchange area\nno connection",
                            "host error"}));
}

}  // namespace
}  // namespace rqx340
