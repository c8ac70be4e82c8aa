// Message boxes for the core's messages.
#include "ui/message_box_sink.h"

#include <QMessageBox>
#include <QString>

namespace rqx340 {

void MessageBoxSink::ShowMessage(int, std::string_view text) {
  std::string full = std::move(m_strDetails);
  m_strDetails.clear();
  full += text;
  QMessageBox box(
      QMessageBox::Warning,
      QString::fromUtf8(kApplicationName.data(), static_cast<qsizetype>(kApplicationName.size())),
      QString::fromStdString(full), QMessageBox::Ok, m_pParent.data());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void MessageBoxSink::ShowDetail(std::string_view text) {
  m_strDetails += text;
  m_strDetails += '\n';
}

}  // namespace rqx340
