// Message boxes for the core's messages.
#include "ui/win32/message_box_sink.h"

#include "app/rqx340_app.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

void MessageBoxSink::ShowBox(const std::string& text) {
  // Without an owner the box is modal for the whole thread (MB_TASKMODAL).
  const UINT modality = m_hOwner != nullptr && IsWindow(m_hOwner) ? MB_APPLMODAL : MB_TASKMODAL;
  MessageBoxW(m_hOwner != nullptr && IsWindow(m_hOwner) ? m_hOwner : nullptr,
              win32::Wide(text).c_str(), win32::Wide(kApplicationName).c_str(),
              MB_OK | MB_ICONWARNING | modality);
}

}  // namespace rqx340
