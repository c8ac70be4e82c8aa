// dialog_screenshot [--language N] [--extra-width PX] [--preview NAME OUT.png]
//                   [--not-listed OUT.png] FOLDER OUTPUT.png
//
// Draws the main dialog listing FOLDER, as it looks after a few rows were
// checked, into OUTPUT.png, offscreen unless QT_QPA_PLATFORM says otherwise;
// with --preview, also the preview of the measurement NAME of FOLDER into
// OUT.png; with --not-listed, the window that lists the files the scan left
// out into OUT.png. --language takes the language index of the host's command line; the
// tables are those beside this program. The settings are in memory: nothing of
// the user's is read or written.
#include <stdlib.h>

#include <QApplication>
#include <QPixmap>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "support/app_context.h"
#include "support/recording_sink.h"
#include "ui/qt/dialog_program.h"
#include "ui/qt/main_dialog.h"
#include "ui/qt/measurement_preview_dialog.h"
#include "ui/qt/not_listed_dialog.h"

namespace {

struct Options {
  int language = 0;
  int extra_width = 0;
  std::string preview_name;
  std::string preview_out;
  std::string not_listed_out;
  std::string folder;
  std::string out;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string option = argv[i];
    if (option == "--language" && i + 1 < argc) {
      options.language = std::atoi(argv[++i]);
    } else if (option == "--extra-width" && i + 1 < argc) {
      options.extra_width = std::atoi(argv[++i]);
    } else if (option == "--not-listed" && i + 1 < argc) {
      options.not_listed_out = argv[++i];
    } else if (option == "--preview" && i + 2 < argc) {
      options.preview_name = argv[++i];
      options.preview_out = argv[++i];
    } else {
      return false;
    }
  }
  if (argc - i != 2) return false;
  options.folder = argv[i];
  options.out = argv[i + 1];
  return true;
}

bool Save(QWidget& widget, const std::string& path) {
  if (widget.grab().save(QString::fromLocal8Bit(path.c_str()), "PNG")) return true;
  std::fprintf(stderr, "dialog_screenshot: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace rqx340;
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: dialog_screenshot [--language N] [--extra-width PX] "
                 "[--preview NAME OUT.png] [--not-listed OUT.png] FOLDER OUTPUT.png\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);

  test::MemoryProfile profile;
  profile.values[{"RQX340Import", "LastFolder"}] = options.folder;
  profile.values[{"RQX340Import", "UsedFolder0"}] = options.folder;
  const std::string tables = QCoreApplication::applicationDirPath().toStdString() + "/";
  CRQX340App app(
      test::TestAppContext({{"XDG_CONFIG_HOME", "/nonexistent/config"}}, tables, profile));
  app.LocateSettings();
  test::RecordingSink messages;
  app.LoadLanguageLibrary(options.language, messages);
  if (!messages.messages.empty()) {
    std::fprintf(stderr, "dialog_screenshot: %s\n", messages.messages[0].text.c_str());
    return 1;
  }
  RegisterApplicationClass(app);
  CShellThread browser(app.Strings(), app.Pump());
  CRQX340MainDlg dialog(app, messages, browser);
  dialog.show();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (dialog.StartTimerPending() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (options.extra_width > 0) dialog.resize(dialog.width() + options.extra_width, dialog.height());
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
  if (!Save(dialog, options.out)) return 1;
  std::printf("%s: %dx%d, %d measurements\n", options.out.c_str(), dialog.width(), dialog.height(),
              list.Model().rowCount());

  if (!options.not_listed_out.empty()) {
    NotListedDialog not_listed(dialog.State().NotListed(), app.Strings(), &dialog);
    not_listed.show();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!Save(not_listed, options.not_listed_out)) return 1;
    std::printf("%s: %dx%d\n", options.not_listed_out.c_str(), not_listed.width(),
                not_listed.height());
  }
  if (!options.preview_name.empty()) {
    MeasurementPreviewDialog preview(nullptr, app, options.folder, options.preview_name);
    preview.SetExposureHoursText(QStringLiteral("6"));
    preview.show();
    if (!preview.Load(app.Pump())) {
      std::fprintf(stderr, "dialog_screenshot: cannot read %s\n", options.preview_name.c_str());
      return 1;
    }
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!Save(preview, options.preview_out)) return 1;
    std::printf("%s: %dx%d\n", options.preview_out.c_str(), preview.width(), preview.height());
  }
  return 0;
}
