// The folder browser's worker and the folder dialog.
#include "ui/qt/shell_thread.h"

#include <QFileDialog>
#include <system_error>
#include <thread>

#include "app/folder_text.h"
#include "measurement/folder_scan.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

std::optional<std::string> ChooseFolderWithDialog(QWidget* owner, const QString& title,
                                                  const std::string& initial) {
  // The dialog takes and gives folders as text and reads names that are not
  // UTF-8 lossily: it opens at a folder it can name, and what it gives back is
  // found again by the text it showed.
  const QString chosen = QFileDialog::getExistingDirectory(
      owner, title, ToQString(ChooserStartFolder(initial)), QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return std::nullopt;
  const std::string shown = ToUtf8(chosen);
  return FolderFromShownText(shown).value_or(shown);
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
