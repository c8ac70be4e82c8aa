// Start-up, shutdown and the message pump of the dialog program.
#include "app/rqx340_app.h"

#include "app/command_line.h"
#include "platform/code_page.h"
#include "platform/process.h"
#include "platform/user_config.h"

namespace rqx340 {

namespace {

// The settings name is read into a 260-character buffer, terminator included.
constexpr std::size_t kSettingsNameUnits = 259;

// The first `units` UTF-16 code units of `text`, never half a character.
std::string FirstUtf16Units(std::string_view text, std::size_t units) {
  std::size_t pos = 0;
  std::size_t used = 0;
  while (pos < text.size()) {
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(text.substr(pos), length);
    const std::size_t needed = code_point && *code_point > 0xFFFF ? 2 : 1;
    if (used + needed > units) break;
    used += needed;
    pos += length;
  }
  return std::string(text.substr(0, pos));
}

}  // namespace

CRQX340App::CRQX340App(AppContext context)
    : m_context(std::move(context)),
      m_profileCache([this]() -> Profile& { return OpenedProfile(); }) {
  if (!m_context.executable_dir) {
    if (const auto path = RunningExecutablePath()) {
      if (auto dir = ExecutableDirectory(*path)) m_context.executable_dir = std::move(*dir);
    }
  }
  if (!m_context.libraries) {
    m_context.libraries = std::make_shared<TableFileLoader>(
        DataFolders(m_context.environment, m_context.executable_dir));
  }
  if (m_context.program_strings == nullptr) m_context.program_strings = &EnglishStrings();
}

CRQX340App::~CRQX340App() {
  if (m_clientWindow) m_clientWindow->SetArrivalCallback({});
}

bool CRQX340App::InitInstance(std::span<const std::string> arguments, std::int32_t& languageIndex) {
  LocateSettings();
  m_strClassName = std::string(kLanguageLibraries[0]) + "ZUL";
  m_strExchangeId = kExchangeId;
  languageIndex = 0;
  ReadCommandLine(arguments, languageIndex);
  if (m_hHostWnd == 0) return false;
  // The host's window lives in the session directory; without one there is no host.
  if (auto session = SessionDir::Open()) m_session = std::move(*session);
  if (!m_session) return false;
  const auto messenger = SessionMessenger::Open(*m_session);
  return messenger && (*messenger)->IsWindow(m_hHostWnd);
}

void CRQX340App::LocateSettings() {
  std::string name;
  if (const auto host = m_context.libraries->Open(kHostResourceLibrary, nullptr)) {
    name =
        FirstUtf16Units(host->Find(kIdsSettingsName).value_or(std::string()), kSettingsNameUnits);
  }
  m_strSettingsPath = m_context.settings_location ? m_context.settings_location(name)
                                                  : IniSettingsPath(std::move(name));
}

std::string CRQX340App::IniSettingsPath(std::string name) const {
  const auto config = UserConfigFolder(m_context.environment);
  if (!config) return {};
  if (name.empty()) return *config + "/rqx340-import.ini";
  // The name was a registry key path; here it is one file name.
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == '\0') c = '_';
  }
  return *config + "/Corvantis/" + name + ".ini";
}

void CRQX340App::ReadCommandLine(std::span<const std::string> arguments,
                                 std::int32_t& languageIndex) {
  CommandLineFields fields;
  fields.host_window = m_hHostWnd;
  fields.language = languageIndex;
  fields.exchange_index = m_nExchangeIndex;
  MatchCommandLine(JoinArguments(arguments), fields);
  m_hHostWnd = fields.host_window;
  languageIndex = fields.language;
  m_nExchangeIndex = fields.exchange_index;
}

void CRQX340App::LoadLanguageLibrary(std::int32_t languageIndex, MessageSink& sink) {
  // The table has no entry past 5: such an index is the built-in language.
  if (languageIndex <= 0 || languageIndex >= static_cast<std::int32_t>(kLanguageLibraries.size())) {
    return;
  }
  const std::string_view library = kLanguageLibraries[languageIndex];
  std::string refused;
  m_hLanguageDll = m_context.libraries->Open(library, m_context.program_strings, &refused);
  if (m_hLanguageDll) return;
  // A library that is there is not "not found".
  const std::string file = m_context.libraries->FileName(library);
  sink.ShowMessage(kLanguageWarningId,
                   refused.empty() ? file + std::string(kLanguageWarning)
                                   : file + std::string(kLanguageTooLargeWarning) + refused + ".");
}

const StringTable& CRQX340App::Strings() const {
  if (m_hLanguageDll) return *m_hLanguageDll;
  return *m_context.program_strings;
}

bool CRQX340App::CreateClientWindow() {
  if (!m_session) {
    if (auto session = SessionDir::Open()) m_session = std::move(*session);
  }
  if (!m_session) return false;
  auto window = MessageEndpoint::Create(*m_session);
  if (!window) return false;
  m_clientWindow = std::move(*window);
  return true;
}

WindowHandle CRQX340App::ClientWindow() const {
  return m_clientWindow ? m_clientWindow->Handle() : 0;
}

void CRQX340App::SetArrivalCallback(std::function<void()> arrived) {
  if (m_clientWindow) m_clientWindow->SetArrivalCallback(std::move(arrived));
}

void CRQX340App::DispatchClientMessages() {
  if (!m_clientWindow || m_nPumpDepth > 0) return;
  while (auto message = m_clientWindow->Peek()) HandleClientMessage(*message);
}

void CRQX340App::HandleClientMessage(IncomingMessage& message) {
  // Nothing of the tool acts on a message yet: a sent one is answered 0, as the
  // default handling answers it.
  message.Reply(0);
}

std::int32_t CRQX340App::PumpPendingMessages(std::int32_t* stop) {
  ++m_nPumpDepth;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{m_nPumpDepth};

  bool events_processed = false;
  while (*stop == 0) {
    if (m_clientWindow) {
      if (auto message = m_clientWindow->Peek()) {
        const WindowMessage& m = message->Message();
        if (m.message == kHostMessage && m.wparam == kHostStopRequest) {
          message->Reply(0);  // only a sent one waits for an answer
          return 1;
        }
        HandleClientMessage(*message);
        continue;
      }
    }
    // Once the user interface's events are done, only the window's messages that
    // came in meanwhile are taken; then the pump returns.
    if (events_processed || m_pUserInterface == nullptr) return *stop;
    if (m_pUserInterface->ProcessPendingEvents()) return 1;
    events_processed = true;
  }
  return *stop;
}

Profile& CRQX340App::OpenedProfile() {
  if (!m_profile) {
    if (!m_strSettingsPath.empty() && m_context.open_profile) {
      m_profile = m_context.open_profile(m_strSettingsPath);
    }
    if (!m_profile) m_profile = std::make_unique<NullProfile>();
  }
  return *m_profile;
}

DialogSettings& CRQX340App::Settings() {
  if (!m_settings) m_settings.emplace(m_profileCache);
  return *m_settings;
}

void CRQX340App::FlushProfileCache() {
  m_profileCache.FlushProfileCache();
  // Nothing was ever read or written when the profile was never opened.
  if (m_profile) m_profile->Flush();
}

int CRQX340App::ExitInstance() {
  // The folder-browser worker first.
  if (m_pShellThread) m_pShellThread->Stop();
  m_clientWindow.reset();
  m_hLanguageDll.reset();
  if (m_bClassRegistered && m_unregisterClass) m_unregisterClass();
  m_unregisterClass = nullptr;
  m_bClassRegistered = false;
  FlushProfileCache();
  return 0;
}

}  // namespace rqx340
