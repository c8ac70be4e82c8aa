// The tool's window, seen from the GUI thread.
#include "ui/qt/client_window_relay.h"

#include <QCoreApplication>

namespace rqx340 {

const QEvent::Type ClientWindowRelay::kArrivedEvent = static_cast<QEvent::Type>(QEvent::User + 1);

ClientWindowRelay::ClientWindowRelay(CRQX340App& app)
    : m_app(app), m_pPending(std::make_shared<std::atomic<bool>>(false)) {
  m_app.SetUserInterface(this);
  m_app.SetArrivalCallback([this, pending = m_pPending] {
    if (!pending->exchange(true)) QCoreApplication::postEvent(this, new QEvent(kArrivedEvent));
  });
}

ClientWindowRelay::~ClientWindowRelay() {
  // Waits for a running callback; none runs after this.
  m_app.SetArrivalCallback({});
  m_app.SetUserInterface(nullptr);
}

bool ClientWindowRelay::ProcessPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return false;
}

bool ClientWindowRelay::event(QEvent* event) {
  if (event->type() != kArrivedEvent) return QObject::event(event);
  m_pPending->store(false);
  m_app.DispatchClientMessages();
  return true;
}

}  // namespace rqx340
