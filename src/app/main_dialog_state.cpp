// The main dialog's rules: which folder is listed, what the folder box offers,
// and when a folder counts as changed.
#include "app/main_dialog_state.h"

#include <algorithm>

#include "app/profile.h"
#include "platform/path_text.h"
#include "platform/process.h"

namespace rqx340 {

namespace {

// The running program's file name without its extension: it names the client
// in its exchange slot.
std::string ExecutableStem() {
  const auto path = RunningExecutablePath();
  if (!path) return {};
  std::string name(FileNameOf(*path));
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace

MainDialogState::MainDialogState(CRQX340App& app, FolderTextMatch match)
    : m_app(app),
      m_settings(app.Settings()),
      m_match(match),
      m_list(&m_settings),
      m_strExeName(ExecutableStem()),
      m_arrFolderHistory(kFolderHistorySize) {}

bool MainDialogState::SameFolder(std::string_view a, std::string_view b) const {
  return m_match == FolderTextMatch::kExact ? a == b : EqualsIgnoringAsciiCase(a, b);
}

void MainDialogState::InitDialog() {
  m_bImportRaw = m_settings.ImportRaw();
  m_strFolder = m_settings.LastFolder();
  m_arrFolderHistory = m_settings.FolderHistory();
  m_arrEntries.clear();
  for (const std::string& entry : m_arrFolderHistory) {
    if (entry.empty()) break;
    m_arrEntries.push_back({entry, false});
  }
  if (!m_strFolder.empty() && FindFolderEntry(m_strFolder) < 0) {
    m_arrEntries.insert(m_arrEntries.begin(), {m_strFolder, false});
  }
  m_bInitDone = true;
}

WindowSize MainDialogState::InitialSize(WindowSize minimum) const {
  return {std::max(m_settings.Width(), minimum.width),
          std::max(m_settings.Height(), minimum.height)};
}

void MainDialogState::OnSize(WindowSize size) {
  // Sizes before set-up are the template's own, not the user's.
  if (m_bInitDone) m_settings.SetSize(size.width, size.height);
}

int MainDialogState::FindFolderEntry(std::string_view folder) const {
  for (std::size_t i = 0; i < m_arrEntries.size(); ++i) {
    if (SameFolder(m_arrEntries[i].text, folder)) return static_cast<int>(i);
  }
  return -1;
}

void MainDialogState::Scan(ProgressSink& progress) {
  m_bScanning = true;
  m_list.ScanFolder(m_strFolder, progress);
  ++m_nScans;
  m_bScanning = false;
}

bool MainDialogState::OnTimer(ProgressSink& progress) {
  if (m_strFolder.empty()) return false;
  Scan(progress);
  return true;
}

bool MainDialogState::OnSelChangeFolder(int entry, ProgressSink& progress) {
  if (entry < 0 || entry >= static_cast<int>(m_arrEntries.size())) return false;
  m_strFolder = m_arrEntries[static_cast<std::size_t>(entry)].text;
  Scan(progress);
  return true;
}

bool MainDialogState::OnKillFocusFolder(std::string text, ProgressSink& progress) {
  if (!TakesTypedFolder()) return false;
  if (SameFolder(text, m_strFolder)) {
    m_strFolder = std::move(text);
    return false;
  }
  m_strFolder = std::move(text);
  Scan(progress);
  PutTypedFolderOnTop();
  return true;
}

bool MainDialogState::OnBrowsed(std::string folder, ProgressSink& progress) {
  if (SameFolder(folder, m_strFolder)) return false;
  m_strFolder = std::move(folder);
  Scan(progress);
  PutTypedFolderOnTop();
  return true;
}

void MainDialogState::PutTypedFolderOnTop() {
  if (!m_arrEntries.empty() && m_arrEntries.front().typed) m_arrEntries.erase(m_arrEntries.begin());
  // An empty text is no folder to offer.
  if (!m_strFolder.empty() && FindFolderEntry(m_strFolder) < 0) {
    m_arrEntries.insert(m_arrEntries.begin(), {m_strFolder, true});
  }
}

MainDialogControls MainDialogState::Controls() const {
  const std::vector<std::int32_t> checked = m_list.GetCheckedIndices();
  const auto& records = m_list.Records();
  MainDialogControls controls;
  controls.import_enabled = !checked.empty();
  controls.raw_enabled = std::any_of(checked.begin(), checked.end(), [&](std::int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < records.size() &&
           records[static_cast<std::size_t>(index)].m_nRaw == 1;
  });
  controls.empty_text_visible = m_list.RowCount() == 0;
  return controls;
}

bool MainDialogState::CanPreview(int row) const {
  return m_bBusy == 0 && !m_bScanning && m_list.RecordAt(row) != nullptr;
}

void MainDialogState::BeginImport() {
  m_bBusy = 1;
  const auto found =
      std::find_if(m_arrFolderHistory.begin(), m_arrFolderHistory.end(),
                   [this](const std::string& entry) { return SameFolder(entry, m_strFolder); });
  if (found != m_arrFolderHistory.end()) m_arrFolderHistory.erase(found);
  m_arrFolderHistory.insert(m_arrFolderHistory.begin(), m_strFolder);
  m_arrFolderHistory.resize(kFolderHistorySize);
  m_settings.SetFolders(m_strFolder, m_arrFolderHistory);
  // The typed entry goes: the list is the history now.
  m_arrEntries.clear();
  for (const std::string& entry : m_arrFolderHistory) {
    if (!entry.empty()) m_arrEntries.push_back({entry, false});
  }
}

ImportRequest MainDialogState::MakeImportRequest() const {
  const std::vector<std::int32_t> checked = m_list.GetCheckedIndices();
  ImportRequest request = rqx340::MakeImportRequest(m_strFolder, m_list.Records(), checked);
  request.exe_name = m_strExeName;
  request.exchange_index = m_app.ExchangeIndex();
  request.client_window = m_app.ClientWindow();
  // Only the slots of the host that started this dialog.
  request.host_window = m_app.HostWindow();
  request.import_raw = m_bImportRaw != 0;
  return request;
}

ImportResult MainDialogState::RunImport(MessageSink& messages, ProgressSink& progress) {
  const ImportRequest request = MakeImportRequest();
  ImportServices services(messages, progress, m_app.Pump());
  services.strings = &m_app.Strings();
  return rqx340::RunImport(request, services);
}

MainDialogState::CloseAnswer MainDialogState::RequestClose() {
  if (m_bBusy != 0) return CloseAnswer::kIgnore;
  if (m_bScanning) {
    // After the scan, which handles no input meanwhile.
    m_bCloseDeferred = true;
    return CloseAnswer::kDefer;
  }
  return CloseAnswer::kClose;
}

bool MainDialogState::TakeDeferredClose() {
  if (m_bScanning || !m_bCloseDeferred) return false;
  m_bCloseDeferred = false;
  return true;
}

void MainDialogState::Close() {
  m_settings.SetImportRaw(m_bImportRaw);
  m_bClosing = true;
}

}  // namespace rqx340
