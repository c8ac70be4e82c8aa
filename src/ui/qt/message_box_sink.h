// User messages as Qt message boxes: the application name as caption, an OK
// button, the warning icon, modal for the application. The details before a
// message are the application layer's rule (MessageBoxes).
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "app/message_boxes.h"

namespace rqx340 {

class MessageBoxSink final : public MessageBoxes {
 public:
  // The boxes are centred over `parent` once one is set; before, over the screen.
  void SetParent(QWidget* parent) { m_pParent = parent; }

 protected:
  void ShowBox(const std::string& text) override;

 private:
  QPointer<QWidget> m_pParent;
};

}  // namespace rqx340
