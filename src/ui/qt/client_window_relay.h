// Brings the tool's window to the GUI thread. The window's own thread queues a
// message and calls back; the callback posts a plain event (the only thing it
// does, and thread-safe), and the GUI thread then takes the messages from the
// window's queue. No Qt object is used on the window's thread otherwise.
#pragma once

#include <QEvent>
#include <QObject>
#include <atomic>
#include <memory>

#include "app/rqx340_app.h"

namespace rqx340 {

class ClientWindowRelay final : public QObject, public UserInterfaceEvents {
 public:
  // Becomes `app`'s arrival callback and its user interface for the pump.
  explicit ClientWindowRelay(CRQX340App& app);
  ~ClientWindowRelay() override;

  // Handles the GUI's pending events without waiting (the pump's second half).
  // The host's stop request comes to the tool's window, never here: false.
  bool ProcessPendingEvents() override;

 protected:
  bool event(QEvent* event) override;

 private:
  static const QEvent::Type kArrivedEvent;

  CRQX340App& m_app;
  // Set while an arrival event is on its way, so a burst of messages posts one.
  std::shared_ptr<std::atomic<bool>> m_pPending;
};

}  // namespace rqx340
