// User messages as modal message boxes: the application name as caption, an OK button,
// the warning icon. A detail (why a connection failed) has no box of its own;
// it goes on a line before the next message's text.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>

#include "app/rqx340_app.h"
#include "base/message_sink.h"

namespace rqx340 {

class MessageBoxSink final : public MessageSink {
 public:
  // The boxes are centred over `parent` once one is set; before, over the screen.
  void SetParent(QWidget* parent) { m_pParent = parent; }

  void ShowMessage(int id, std::string_view text) override;
  void ShowDetail(std::string_view text) override;

 private:
  QPointer<QWidget> m_pParent;
  std::string m_strDetails;
};

}  // namespace rqx340
