// The dialog program from the host check on: the language library, the window
// class, the tool's window, the dialog, and shutdown. `ProgramMain` runs the
// first half of start-up (CRQX340App::InitInstance); this runs after it.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

class CRQX340MainDlg;

// The application's window class, "ZULRQX340ZUL": the system dialog class with
// CS_HREDRAW, CS_VREDRAW and CS_GLOBALCLASS, icon 128 of the resource module,
// the window colour as background. False when it cannot be registered.
bool RegisterApplicationClass(CRQX340App& app);

// Loads the language, registers the class, makes the tool's window, runs the
// dialog modally and shuts down; returns the exit code. `script`, when given,
// runs once the dialog is up instead of the user (tests), and ends it.
int RunDialogProgram(CRQX340App& app, std::int32_t languageIndex, MessageSink& messages,
                     const std::function<void(CRQX340MainDlg&)>& script = {});

// The entry point's second half: the Win32 world (resource libraries, the
// registry) for the application object, then start-up.
int RunWin32Program(std::span<const std::string_view> args);

}  // namespace rqx340
