// Start-up after the host check, and shutdown.
#include "ui/qt/dialog_program.h"

#include <QGuiApplication>
#include <QIcon>

#include "ui/qt/client_window_relay.h"
#include "ui/qt/main_dialog.h"
#include "ui/qt/message_box_sink.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

bool RegisterApplicationClass(CRQX340App& app) {
  QGuiApplication::setApplicationName(ToQString(kApplicationName));
  QGuiApplication::setDesktopFileName(QStringLiteral("rqx340-import"));
  QIcon icon;
  for (const int size : {16, 32, 48, 256}) {
    icon.addFile(QStringLiteral(":/rqx340/icon128-%1.png").arg(size), QSize(size, size));
  }
  if (icon.availableSizes().isEmpty()) return false;
  QGuiApplication::setWindowIcon(icon);
  app.SetClassRegistered(true);
  return true;
}

int RunDialogProgram(CRQX340App& app, std::int32_t languageIndex, MessageSink& messages,
                     DialogRunner& runner, FolderChooser chooser) {
  app.LoadLanguageLibrary(languageIndex, messages);
  // Without the tool's identity or its own window the host cannot be served:
  // start-up ends as it does for a failed class registration, without a message.
  if (RegisterApplicationClass(app) && app.CreateClientWindow()) {
    ClientWindowRelay relay(app);
    // The application owns the browser's worker and stops it first at shutdown.
    auto worker = std::make_unique<CShellThread>(app.Strings(), app.Pump(), std::move(chooser));
    CShellThread& browser = *worker;
    app.SetShellThread(std::move(worker));
    CRQX340MainDlg dialog(app, messages, browser);
    // Message boxes are children of the dialog, so they stay usable while its
    // controls are disabled.
    if (auto* boxes = dynamic_cast<MessageBoxSink*>(&messages)) boxes->SetParent(&dialog);
    // The host's window is an endpoint, not a window of this display: the dialog
    // is a top-level window of its own, modal for the whole application.
    dialog.setWindowModality(Qt::ApplicationModal);
    runner.RunModal(dialog);
  }
  return app.ExitInstance();
}

}  // namespace rqx340
