// Where user messages go. The dialog shows each as a modal message box with
// an OK button, the command line prints it to standard error, tests record it.
#pragma once

#include <string_view>

namespace rqx340 {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // A message for the user, built from string `id` of the string table.
  virtual void ShowMessage(int id, std::string_view text) = 0;
  // Why something failed, for whoever looks into it (a refused session
  // directory, a missing exchange area); not a message box of its own.
  virtual void ShowDetail(std::string_view text) = 0;
  // The message for a status of the host (or of the connection to it), built
  // from string `id`; shown as any other message unless the sink adds to it.
  virtual void ShowHostError(int /*status*/, int id, std::string_view text) {
    ShowMessage(id, text);
  }
};

}  // namespace rqx340
