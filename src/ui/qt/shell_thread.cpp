// The folder browser's worker and the folder dialog.
#include "ui/qt/shell_thread.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <system_error>
#include <thread>

#include "measurement/folder_scan.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

std::string NearestExistingFolder(const std::string& folder) {
  if (folder.empty()) return {};
  QString path = QDir::cleanPath(ToQString(folder));
  for (;;) {
    if (QFileInfo(path).isDir()) return ToUtf8(path);
    const QString parent = QFileInfo(path).path();
    if (parent == path || parent.isEmpty() || parent == QStringLiteral(".")) return {};
    path = parent;
  }
}

std::optional<std::string> ChooseFolderWithDialog(QWidget* owner, const QString& title,
                                                  const std::string& initial) {
  const QString chosen = QFileDialog::getExistingDirectory(
      owner, title, ToQString(NearestExistingFolder(initial)), QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return std::nullopt;
  return ToUtf8(chosen);
}

CShellThread::CShellThread(const StringTable& strings, MessagePump& pump, FolderChooser chooser)
    : m_strings(strings), m_pump(pump), m_chooser(std::move(chooser)) {
  if (!m_chooser) m_chooser = ChooseFolderWithDialog;
}

CShellThread::~CShellThread() { Stop(); }

bool CShellThread::ShellBrowseForFolder(QWidget* owner, std::string& folder) {
  if (!Started()) {
    m_hWndMain = owner != nullptr ? owner->window() : nullptr;
    try {
      Start();
    } catch (const std::system_error&) {
      // Without a worker nobody would ever take the request.
      return false;
    }
  }
  ++m_nRequests;
  m_bResult = false;
  m_strFolder = folder;
  m_hWndOwner = owner;
  m_nTitleID = kIdsBrowseTitle;
  SignalWork();
  while (m_bBusy.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // The worker's call into this thread runs inside the pump.
  std::int32_t stop = 0;
  while (m_bBusy.load() == 1) m_pump.PumpPendingMessages(&stop);
  if (m_bResult) folder = m_strFolder;
  return m_bResult;
}

void CShellThread::OnWork() {
  m_bBusy.exchange(1);
  const std::string initial = m_strFolder;
  std::optional<std::string> chosen;
  QMetaObject::invokeMethod(
      &m_gui,
      [&] {
        const QString title = ToQString(m_strings.Load(m_nTitleID));
        chosen = m_chooser(m_hWndOwner.data(), title, initial);
      },
      Qt::BlockingQueuedConnection);
  bool result = false;
  if (chosen && !chosen->empty()) {
    m_strFolder = WithTrailingSlash(*chosen);
    result = true;
  }
  m_bResult = result;
  m_bBusy.exchange(0);
}

}  // namespace rqx340
