// The user's messages as system message boxes (MessageBoxW), modal for the
// thread's windows, over the dialog once it is there.
#pragma once

#include "app/message_boxes.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

class MessageBoxSink final : public MessageBoxes {
 public:
  // Null: no owner (before the dialog exists).
  void SetOwner(HWND owner) { m_hOwner = owner; }

 protected:
  void ShowBox(const std::string& text) override;

 private:
  HWND m_hOwner = nullptr;
};

}  // namespace rqx340
