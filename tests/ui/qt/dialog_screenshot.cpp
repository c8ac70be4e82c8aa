// dialog_screenshot FOLDER OUTPUT.png [EXTRA_WIDTH]
//
// Draws the main dialog listing FOLDER, as it looks after a few rows were
// checked, into OUTPUT.png, offscreen unless QT_QPA_PLATFORM says otherwise.
// The settings are in memory: nothing of the user's is read or written.
#include <stdlib.h>

#include <QApplication>
#include <QPixmap>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/app_context.h"
#include "support/recording_sink.h"
#include "ui/qt/dialog_program.h"
#include "ui/qt/main_dialog.h"

int main(int argc, char** argv) {
  using namespace rqx340;
  if (argc < 3) {
    std::fprintf(stderr, "usage: dialog_screenshot FOLDER OUTPUT.png [EXTRA_WIDTH]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  const std::string folder = argv[1];
  const int extra_width = argc > 3 ? std::atoi(argv[3]) : 0;

  test::MemoryProfile profile;
  profile.values[{"RQX340Import", "LastFolder"}] = folder;
  profile.values[{"RQX340Import", "UsedFolder0"}] = folder;
  CRQX340App app(
      test::TestAppContext({{"XDG_CONFIG_HOME", "/nonexistent/config"}}, "/nonexistent/", profile));
  app.LocateSettings();
  RegisterApplicationClass(app);
  test::RecordingSink messages;
  CShellThread browser(app.Strings(), app.Pump());
  CRQX340MainDlg dialog(app, messages, browser);
  dialog.show();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (dialog.StartTimerPending() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (extra_width > 0) dialog.resize(dialog.width() + extra_width, dialog.height());
  // Two rows checked, one of them selected with a third row.
  CRQX340FileListCtrl& list = dialog.List();
  list.OnItemChanged(0, true);
  list.OnItemChanged(2, true);
  list.selectionModel()->select(list.Model().index(2, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  list.selectionModel()->select(list.Model().index(3, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  list.selectionModel()->setCurrentIndex(list.Model().index(3, 0), QItemSelectionModel::NoUpdate);
  list.setFocus();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (!dialog.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "dialog_screenshot: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%s: %dx%d, %d measurements\n", argv[2], dialog.width(), dialog.height(),
              list.Model().rowCount());
  return 0;
}
