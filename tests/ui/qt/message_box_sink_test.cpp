#include "ui/qt/message_box_sink.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace rqx340 {
namespace {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::WindowModality modality = Qt::NonModal;
};

// Shows one message; a zero timer notes the box and presses its OK button.
SeenBox Show(MessageBoxSink& sink, std::string_view text) {
  SeenBox seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
            box->windowModality()};
    box->button(QMessageBox::Ok)->click();
  });
  sink.ShowMessage(207, text);
  return seen;
}

TEST(MessageBoxSinkTest, AMessageIsAModalWarningWithTheCaptionAndAnOkButton) {
  MessageBoxSink sink;
  const SeenBox seen = Show(sink, "WARNING! Connection with the main application is not possible.");
  EXPECT_EQ(seen.caption, "ZUL4 RQX340");
  EXPECT_EQ(seen.text, "WARNING! Connection with the main application is not possible.");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
}

TEST(MessageBoxSinkTest, DetailsGoOnLinesBeforeTheNextMessageOnly) {
  MessageBoxSink sink;
  sink.ShowDetail("session directory refused");
  EXPECT_EQ(Show(sink, "no connection").text, "session directory refused\nno connection");
  EXPECT_EQ(Show(sink, "second").text, "second");
}

}  // namespace
}  // namespace rqx340
