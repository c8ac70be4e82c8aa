// rqx340-import: the dialog program the host starts. The host check comes before
// QApplication, which would take its own options out of the command line and
// end the process without a display; without a live host the program ends at
// once, silently.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ini_profile.h"
#include "app/rqx340_app.h"
#include "base/version.h"
#include "ui/qt/dialog_program.h"
#include "ui/qt/message_box_sink.h"

int main(int argc, char** argv) {
  using namespace rqx340;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  // For people and package checks; a host's command line never is this.
  if (arguments == std::vector<std::string>{"--version"}) {
    std::printf("%s\n", VersionText("rqx340-import").c_str());
    return 0;
  }
  AppContext context;
  context.open_profile = [](const std::string& path) { return std::make_unique<IniProfile>(path); };
  CRQX340App app(std::move(context));
  std::int32_t language = 0;
  if (!app.InitInstance(arguments, language)) return app.ExitInstance();

  QApplication qt(argc, argv);
  MessageBoxSink messages;
  ModalDialogRunner runner;
  return RunDialogProgram(app, language, messages, runner);
}
