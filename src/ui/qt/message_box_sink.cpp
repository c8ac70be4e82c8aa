// Message boxes for the core's messages.
#include "ui/qt/message_box_sink.h"

#include <QMessageBox>
#include <QString>

#include "ui/qt/qt_text.h"

namespace rqx340 {

void MessageBoxSink::ShowMessage(int, std::string_view text) {
  std::string full = std::move(m_strDetails);
  m_strDetails.clear();
  full += text;
  QMessageBox box(QMessageBox::Warning, ToQString(kApplicationName), ToQString(full),
                  QMessageBox::Ok, m_pParent.data());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void MessageBoxSink::ShowDetail(std::string_view text) {
  m_strDetails += text;
  m_strDetails += '\n';
}

}  // namespace rqx340
