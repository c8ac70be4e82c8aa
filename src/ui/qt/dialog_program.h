// The dialog program from the host check on: the rest of start-up, the dialog,
// and shutdown. `main` runs the first half of start-up (CRQX340App::InitInstance)
// before it creates the QApplication; this runs inside it.
#pragma once

#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "ui/qt/dialog_runner.h"
#include "ui/qt/shell_thread.h"

namespace rqx340 {

// Loads the language, sets up the application's identity, makes the tool's
// window, runs the dialog and shuts down. Returns the exit code. The folder
// chooser is the toolkit's folder dialog unless `chooser` is given.
int RunDialogProgram(CRQX340App& app, std::int32_t languageIndex, MessageSink& messages,
                     DialogRunner& runner, FolderChooser chooser = {});

// The application's identity in the desktop: name, icon 128 and the desktop
// file. Stands for the window class registration; false when it cannot be done.
bool RegisterApplicationClass(CRQX340App& app);

}  // namespace rqx340
