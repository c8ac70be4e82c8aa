// The folder browser's request and the worker's turn.
#include "app/folder_browser.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace rqx340 {

bool CShellThreadBase::Request(std::string& folder) {
  if (!Started()) {
    OnFirstRequest();
    try {
      Start();
    } catch (const std::system_error&) {
      // Without a worker nobody would ever take the request.
      return false;
    }
  }
  BeginModalState();
  const int request = ++m_nRequests;
  m_bResult = false;
  m_strFolder = folder;
  m_nTitleID = kIdsBrowseTitle;
  SignalWork();
  // Sleeps until the worker has taken the job, pumps while it runs. The count
  // of finished jobs, not the busy flag alone, says when it is done: a chooser
  // that fails at once has come and gone before this thread ever saw it busy.
  std::int32_t stop = 0;
  while (m_nFinished.load() < request) {
    if (m_bBusy.load() == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else {
      m_pump.PumpPendingMessages(&stop);
    }
  }
  EndModalState();
  if (m_bResult) folder = m_strFolder;
  return m_bResult;
}

void CShellThreadBase::OnWork() {
  m_bBusy.exchange(1);
  const std::string initial = m_strFolder;
  std::optional<std::string> chosen = ChooseFolder(m_strings.Load(m_nTitleID), initial);
  bool result = false;
  if (chosen && !chosen->empty()) {
    std::string path = std::move(*chosen);
    if (path.back() != m_cSeparator) path += m_cSeparator;
    m_strFolder = std::move(path);
    result = true;
  }
  m_bResult = result;
  m_bBusy.exchange(0);
  m_nFinished.fetch_add(1);
}

}  // namespace rqx340
