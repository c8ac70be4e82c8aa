// Message boxes for the core's messages.
#include "ui/qt/message_box_sink.h"

#include <QMessageBox>
#include <QString>

#include "app/rqx340_app.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

void MessageBoxSink::ShowBox(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, ToQString(kApplicationName), ToQString(text),
                  QMessageBox::Ok, m_pParent.data());
  // Names and texts of language tables are shown as they are, never as markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace rqx340
