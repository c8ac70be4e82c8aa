// The application object of the dialog program: the host window and exchange
// slot from the command line, the language table, the settings store, the
// tool's own window, and the message pump that long operations call to keep the
// user interface alive. Start-up runs in two halves: up to the host check before
// any user interface exists (a process without a live host ends there, silently),
// the rest in the user interface layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/dialog_settings.h"
#include "app/language_table.h"
#include "app/profile.h"
#include "app/profile_cache.h"
#include "app/thin_thread.h"
#include "base/message_sink.h"
#include "base/progress.h"
#include "base/string_table.h"
#include "exchange/rqx340_client.h"
#include "platform/environment.h"
#include "platform/session_dir.h"
#include "platform/window.h"

namespace rqx340 {

// The caption of every message box, and the application's name.
inline constexpr std::string_view kApplicationName = "ZUL4 RQX340";
// The exchange identifier (kExchangeId) and the host's message (kHostMessage)
// are the exchange layer's. The host asks a busy tool to stop with
// kHostMessage, wParam kHostStopRequest.
inline constexpr std::uint32_t kHostStopRequest = 100;
// String 2021 of the host's resource library names the settings.
inline constexpr int kIdsSettingsName = 2021;
// The missing-language warning is made up, not taken from the string table.
inline constexpr int kLanguageWarningId = 0;
inline constexpr std::string_view kLanguageWarning = " WARNING! Language DLL not found.";
// A table that is there but too large to be one: " WARNING! Language DLL too
// large (N bytes, at most M)."
inline constexpr std::string_view kLanguageTooLargeWarning = " WARNING! Language DLL ";

// What the user interface does for the application's message pump.
class UserInterfaceEvents {
 public:
  virtual ~UserInterfaceEvents() = default;
  // Handles the pending events (repaints, input, timers) without waiting for
  // more. True when one of them was the host's stop request, which it takes
  // out undispatched.
  virtual bool ProcessPendingEvents() = 0;
};

// Where the application object finds the world; front ends and tests replace
// parts of it.
struct AppContext {
  EnvironmentLookup environment = GetEnvironment;
  // The folder of the executable, ending in "/"; nullopt: the running one's.
  std::optional<std::string> executable_dir;
  // Opens the host installation's libraries; null: table files in the data folders.
  std::shared_ptr<const LibraryLoader> libraries;
  // The program's own strings; null: the built-in English table.
  const StringTable* program_strings = nullptr;
  // Where the settings live, from the settings name of the host's resource
  // library (empty without one); empty: nowhere. Unset: an INI file in the
  // user's configuration folder.
  std::function<std::string(const std::string& settings_name)> settings_location;
  // Opens the profile at a settings location; null or unset: settings are not kept.
  std::function<std::unique_ptr<Profile>(const std::string& path)> open_profile;
};

class CRQX340App {
 public:
  explicit CRQX340App(AppContext context);
  ~CRQX340App();
  CRQX340App(const CRQX340App&) = delete;
  CRQX340App& operator=(const CRQX340App&) = delete;

  // Start-up as far as it goes without a user interface: LocateSettings, the
  // class name and exchange id, ReadCommandLine on the arguments after the
  // program name, and the host check. False when the host window does not answer
  // (or there is none, or no session directory to find it in): the process then
  // ends through ExitInstance without showing anything.
  bool InitInstance(std::span<const std::string> arguments, std::int32_t& languageIndex);

  void LocateSettings();
  void ReadCommandLine(std::span<const std::string> arguments, std::int32_t& languageIndex);
  // Index 1 to 5 loads that language's library; a missing one shows the warning
  // on `sink` and the program goes on in English. Other indexes load nothing.
  void LoadLanguageLibrary(std::int32_t languageIndex, MessageSink& sink);

  // The tool's own window, which the host sends to and posts to. False when it
  // cannot be made.
  bool CreateClientWindow();
  // `arrived` runs on another thread whenever a message reaches the tool's window;
  // empty removes it (see MessageEndpoint::SetArrivalCallback).
  void SetArrivalCallback(std::function<void()> arrived);
  // Handles the messages waiting at the tool's window, as its window procedure
  // would. Inside PumpPendingMessages the pump takes them instead, so that it
  // sees the host's stop request.
  void DispatchClientMessages();

  void SetUserInterface(UserInterfaceEvents* events) { m_pUserInterface = events; }
  // The folder-browser worker; the user interface makes it, the application
  // owns it and stops it first at shutdown.
  void SetShellThread(std::unique_ptr<CThinThread> thread) { m_pShellThread = std::move(thread); }
  CThinThread* ShellThread() const { return m_pShellThread.get(); }
  // Takes the messages waiting at the tool's window, then the user interface's
  // pending events, without waiting. A kHostMessage with wParam kHostStopRequest
  // is removed undispatched and gives 1; otherwise the value of `*stop`.
  std::int32_t PumpPendingMessages(std::int32_t* stop);
  // The pump as the core's long operations take it.
  MessagePump& Pump() { return m_pump; }

  // Shutdown: the worker, the tool's window, the language table, the class, then
  // the settings, written once. Returns the exit code.
  int ExitInstance();

  std::int32_t CachedGetProfileInt(std::string_view section, std::string_view entry,
                                   std::int32_t fallback) {
    return m_profileCache.CachedGetProfileInt(section, entry, fallback);
  }
  void CachedWriteProfileInt(std::string_view section, std::string_view entry, std::int32_t value) {
    m_profileCache.CachedWriteProfileInt(section, entry, value);
  }
  std::string CachedGetProfileString(std::string_view section, std::string_view entry) {
    return m_profileCache.CachedGetProfileString(section, entry);
  }
  void CachedWriteProfileString(std::string_view section, std::string_view entry,
                                std::string_view value) {
    m_profileCache.CachedWriteProfileString(section, entry, value);
  }
  void FlushProfileCache();
  // The dialog's settings, read through the cache when first asked for.
  DialogSettings& Settings();

  // The language library with the program's strings as its fallback, or the
  // program's strings.
  const StringTable& Strings() const;
  // The loaded language library; null when there is none.
  const LanguageLibrary* Language() const { return m_hLanguageDll.get(); }

  WindowHandle HostWindow() const { return m_hHostWnd; }
  std::int32_t ExchangeIndex() const { return m_nExchangeIndex; }
  const std::string& ExchangeId() const { return m_strExchangeId; }
  const std::string& ClassName() const { return m_strClassName; }
  bool ClassRegistered() const { return m_bClassRegistered; }
  // `unregister`, when given, runs at shutdown, after the language library is
  // released.
  void SetClassRegistered(bool registered, std::function<void()> unregister = {}) {
    m_bClassRegistered = registered;
    m_unregisterClass = std::move(unregister);
  }
  bool LanguageLoaded() const { return m_hLanguageDll != nullptr; }
  // Where the settings live (a file, a registry key); empty when there is
  // nowhere to keep them.
  const std::string& SettingsPath() const { return m_strSettingsPath; }
  // 0 until CreateClientWindow succeeds.
  WindowHandle ClientWindow() const;

 private:
  class AppPump final : public MessagePump {
   public:
    explicit AppPump(CRQX340App& app) : m_app(app) {}
    bool PumpPendingMessages(std::int32_t* stop) override {
      return m_app.PumpPendingMessages(stop) == 0;
    }

   private:
    CRQX340App& m_app;
  };

  static void HandleClientMessage(IncomingMessage& message);
  Profile& OpenedProfile();
  // The INI file in the user's configuration folder.
  std::string IniSettingsPath(std::string settings_name) const;

  AppContext m_context;

  std::unique_ptr<LanguageLibrary> m_hLanguageDll;
  WindowHandle m_hHostWnd = 0;
  std::string m_strExchangeId;
  std::int32_t m_nExchangeIndex = -1;
  bool m_bClassRegistered = false;
  std::string m_strClassName;
  std::function<void()> m_unregisterClass;

  std::string m_strSettingsPath;
  std::unique_ptr<Profile> m_profile;
  CQWProfileSectionList m_profileCache;
  std::optional<DialogSettings> m_settings;

  std::unique_ptr<CThinThread> m_pShellThread;
  std::optional<SessionDir> m_session;
  std::unique_ptr<MessageEndpoint> m_clientWindow;
  UserInterfaceEvents* m_pUserInterface = nullptr;
  int m_nPumpDepth = 0;
  AppPump m_pump{*this};
};

}  // namespace rqx340
