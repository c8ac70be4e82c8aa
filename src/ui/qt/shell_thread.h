// The folder browser: a worker thread shows the folder chooser on request,
// through a blocking call into the GUI thread, while the requesting GUI thread
// keeps pumping messages until the worker is done.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/folder_browser.h"
#include "app/rqx340_app.h"
#include "base/progress.h"

namespace rqx340 {

// Shows a folder chooser over `owner` with `title`, `initial` preselected; the
// chosen folder, or nullopt when the user cancelled. Runs on the GUI thread.
using FolderChooser = std::function<std::optional<std::string>(QWidget* owner, const QString& title,
                                                               const std::string& initial)>;

// The real chooser: the toolkit's folder dialog, application-modal over
// `owner`, folders only, at `initial` or its nearest existing ancestor that
// is valid UTF-8 (ChooserStartFolder); the folder chosen as its bytes
// (FolderFromShownText).
std::optional<std::string> ChooseFolderWithDialog(QWidget* owner, const QString& title,
                                                  const std::string& initial);

class CShellThread final : public CShellThreadBase {
 public:
  // `pump` keeps the GUI alive while the chooser is open; an empty `chooser`
  // is ChooseFolderWithDialog.
  CShellThread(const StringTable& strings, MessagePump& pump, FolderChooser chooser = {});
  ~CShellThread() override;

  // On the GUI thread: the request of CShellThreadBase over `owner`. A chosen
  // folder ends in "/".
  bool ShellBrowseForFolder(QWidget* owner, std::string& folder);

 protected:
  // The chooser runs on the GUI thread, called from the worker; the asking
  // thread's pump runs it.
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial) override;

 private:
  FolderChooser m_chooser;
  // Lives in the GUI thread: the worker's calls run there.
  QObject m_gui;
  QPointer<QWidget> m_hWndOwner;
};

}  // namespace rqx340
