// Start-up after the host check, and shutdown.
#include "ui/win32/dialog_program.h"

#include <string>
#include <vector>

#include "platform/win32/win32_util.h"
#include "ui/win32/main_dialog.h"
#include "ui/win32/message_box_sink.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/registry_profile.h"
#include "ui/win32/resource_library.h"
#include "ui/win32/shell_thread.h"

namespace rqx340 {

bool RegisterApplicationClass(CRQX340App& app) {
  WNDCLASSW window_class{};
  if (GetClassInfoW(nullptr, L"#32770", &window_class) == 0) return false;
  window_class.style |= CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
  window_class.hIcon = LoadIconW(ResourceModule(app), MAKEINTRESOURCEW(kIdIcon));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  const std::wstring name = win32::Wide(app.ClassName());
  window_class.lpszClassName = name.c_str();
  window_class.hInstance = GetModuleHandleW(nullptr);
  if (RegisterClassW(&window_class) == 0) return false;
  app.SetClassRegistered(true,
                         [name] { UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr)); });
  return true;
}

int RunDialogProgram(CRQX340App& app, std::int32_t languageIndex, MessageSink& messages,
                     const std::function<void(CRQX340MainDlg&)>& script) {
  app.LoadLanguageLibrary(languageIndex, messages);
  // Without the class or the tool's own window the host cannot be served:
  // start-up ends without a message.
  if (RegisterApplicationClass(app) && app.CreateClientWindow()) {
    Win32MessageLoop loop(app);
    // The application owns the browser's worker and stops it first at shutdown.
    auto worker = std::make_unique<CShellThread>(app.Strings(), app.Pump());
    CShellThread& browser = *worker;
    app.SetShellThread(std::move(worker));
    CRQX340MainDlg dialog(app, messages, browser, loop);
    dialog.DoModal(script);
  }
  return app.ExitInstance();
}

int RunWin32Program(std::span<const std::string_view> args) {
  const std::vector<std::string> arguments(args.begin(), args.end());
  AppContext context;
  context.libraries = std::make_shared<DllLibraryLoader>();
  context.program_strings = &ProgramStrings();
  context.settings_location = RegistrySettingsKey;
  context.open_profile = [](const std::string& key) -> std::unique_ptr<Profile> {
    return std::make_unique<RegistryProfile>(key);
  };
  CRQX340App app(std::move(context));
  std::int32_t language = 0;
  if (!app.InitInstance(arguments, language)) return app.ExitInstance();

  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  MessageBoxSink messages;
  return RunDialogProgram(app, language, messages);
}

}  // namespace rqx340
