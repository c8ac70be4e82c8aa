// The details before the next message.
#include "app/message_boxes.h"

namespace rqx340 {

void MessageBoxes::ShowMessage(int, std::string_view text) {
  std::string full = std::move(m_strDetails);
  m_strDetails.clear();
  full += text;
  ShowBox(full);
}

void MessageBoxes::ShowDetail(std::string_view text) {
  m_strDetails += text;
  m_strDetails += '\n';
}

}  // namespace rqx340
