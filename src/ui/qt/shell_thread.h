// The folder browser: a worker thread shows the folder chooser on request,
// through a blocking call into the GUI thread, while the requesting GUI thread
// keeps pumping messages until the worker is done.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/rqx340_app.h"
#include "app/thin_thread.h"
#include "base/progress.h"

namespace rqx340 {

// Shows a folder chooser over `owner` with `title`, `initial` preselected; the
// chosen folder, or nullopt when the user cancelled. Runs on the GUI thread.
using FolderChooser = std::function<std::optional<std::string>(QWidget* owner, const QString& title,
                                                               const std::string& initial)>;

// The real chooser: the toolkit's folder dialog, application-modal over
// `owner`, folders only, at `initial` or its nearest existing ancestor.
std::optional<std::string> ChooseFolderWithDialog(QWidget* owner, const QString& title,
                                                  const std::string& initial);

// `folder` if it is a folder, else its nearest existing ancestor; empty when
// `folder` is empty or no ancestor exists.
std::string NearestExistingFolder(const std::string& folder);

class CShellThread final : public CThinThread {
 public:
  // `pump` keeps the GUI alive while the chooser is open; an empty `chooser`
  // is ChooseFolderWithDialog.
  CShellThread(const StringTable& strings, MessagePump& pump, FolderChooser chooser = {});
  ~CShellThread() override;

  // On the GUI thread: starts the worker at the first request, has it show the
  // chooser and pumps until it is done. True when a folder was chosen: `folder`
  // then holds it with a trailing "/"; false leaves `folder` as it was, also
  // when the worker cannot be started.
  bool ShellBrowseForFolder(QWidget* owner, std::string& folder);

  bool Busy() const { return m_bBusy.load() != 0; }
  int Requests() const { return m_nRequests; }

 protected:
  void OnWork() override;

 private:
  const StringTable& m_strings;
  MessagePump& m_pump;
  FolderChooser m_chooser;
  // Lives in the GUI thread: the worker's calls run there.
  QObject m_gui;

  std::atomic<std::int32_t> m_bBusy{0};
  std::string m_strFolder;
  std::atomic<bool> m_bResult{false};
  QPointer<QWidget> m_hWndMain;  // set when the worker is started
  QPointer<QWidget> m_hWndOwner;
  int m_nTitleID = kIdsBrowseTitle;
  int m_nRequests = 0;
};

}  // namespace rqx340
