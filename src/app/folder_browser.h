// The folder browser's worker: the user interface thread asks, the worker shows
// the system's folder chooser, and the asking thread keeps its messages going
// until the worker is done. Each front end shows its own chooser; the request,
// the hand-over and the chosen folder's trailing separator are the same for all.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "app/thin_thread.h"
#include "base/progress.h"
#include "base/string_table.h"

namespace rqx340 {

class CShellThreadBase : public CThinThread {
 public:
  // `pump` keeps the user interface alive while the chooser is open; a chosen
  // folder ends in `separator`.
  CShellThreadBase(const StringTable& strings, MessagePump& pump, char separator)
      : m_strings(strings), m_pump(pump), m_cSeparator(separator) {}

  bool Busy() const { return m_bBusy.load() != 0; }
  int Requests() const { return m_nRequests; }

 protected:
  // On the user interface thread: starts the worker at the first request, has
  // it show the chooser and pumps until it is done. True when a folder was
  // chosen: `folder` then holds it with a trailing separator; false leaves
  // `folder` as it was, also when the worker cannot be started.
  bool Request(std::string& folder);

  // Called on the user interface thread before the worker is first started.
  virtual void OnFirstRequest() {}
  // The main window is disabled while the chooser is open.
  virtual void BeginModalState() {}
  virtual void EndModalState() {}
  // On the worker: shows the chooser with the title `title`, `initial`
  // preselected; the chosen folder, or nullopt (or empty) when the user
  // cancelled or chose nothing that is a folder.
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& initial) = 0;

  void OnWork() final;

 private:
  const StringTable& m_strings;
  MessagePump& m_pump;
  const char m_cSeparator;

  std::atomic<std::int32_t> m_bBusy{0};
  std::string m_strFolder;
  std::atomic<bool> m_bResult{false};
  int m_nTitleID = kIdsBrowseTitle;
  int m_nRequests = 0;
  std::atomic<int> m_nFinished{0};
};

}  // namespace rqx340
