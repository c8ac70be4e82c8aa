// User messages as modal message boxes: the application name as caption, an OK
// button, the warning icon. A detail (why a connection failed) has no box of its
// own; it goes on a line before the next message's text. Each front end shows
// the box.
#pragma once

#include <string>
#include <string_view>

#include "base/message_sink.h"

namespace rqx340 {

class MessageBoxes : public MessageSink {
 public:
  void ShowMessage(int id, std::string_view text) final;
  void ShowDetail(std::string_view text) final;

 protected:
  // Shows `text` in a modal box and returns when the user has closed it.
  virtual void ShowBox(const std::string& text) = 0;

 private:
  std::string m_strDetails;
};

}  // namespace rqx340
