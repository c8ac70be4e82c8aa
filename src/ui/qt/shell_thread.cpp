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
    : CShellThreadBase(strings, pump, '/'), m_chooser(std::move(chooser)) {
  if (!m_chooser) m_chooser = ChooseFolderWithDialog;
}

CShellThread::~CShellThread() { Stop(); }

bool CShellThread::ShellBrowseForFolder(QWidget* owner, std::string& folder) {
  m_hWndOwner = owner;
  return Request(folder);
}

std::optional<std::string> CShellThread::ChooseFolder(const std::string& title,
                                                      const std::string& initial) {
  std::optional<std::string> chosen;
  QMetaObject::invokeMethod(
      &m_gui, [&] { chosen = m_chooser(m_hWndOwner.data(), ToQString(title), initial); },
      Qt::BlockingQueuedConnection);
  return chosen;
}

}  // namespace rqx340
