// The connection to the host through one slot of the exchange area, and the
// commands of a measurement's transfer. Commands are synchronous messages
// WM_USER + 1 to the slot's host window (wParam the command, lParam the slot);
// the low byte of the reply is the host's status.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "exchange/exchange_area.h"

namespace rqx340 {

// Commands (wParam).
inline constexpr std::uint32_t kCmdOpen = 5;
inline constexpr std::uint32_t kCmdTransferFile = 26;
inline constexpr std::uint32_t kCmdTransferData = 2;
inline constexpr std::uint32_t kCmdTransferTime = 27;
inline constexpr std::uint32_t kCmdRawSignal = 20;
inline constexpr std::uint32_t kCmdTransferEnd = 22;
inline constexpr std::uint32_t kCmdTransferAbort = 99;
inline constexpr std::uint32_t kCmdClose = 4;
// What the host may post to the tool's thread; the tool drops it.
inline constexpr std::uint32_t kPostedIdle = 100;
inline constexpr std::uint32_t kHostMessage = kWmUser + 1;

// Statuses the client makes itself.
inline constexpr int kStatusDone = 0;
inline constexpr int kStatusStopped = 252;
inline constexpr int kStatusChoiceDeclined = 253;
inline constexpr int kStatusNoSlot = 254;
inline constexpr int kStatusNoWindow = 255;

class CQWExchangeClient : public CQWExchange {
 public:
  explicit CQWExchangeClient(WindowMessenger* messenger = nullptr);
  // Closes a connection that is still open, then the area.
  ~CQWExchangeClient() override;

  // Shows a host status to the user.
  virtual void ReportError(int status) = 0;
  // Picks one of `count` usable slots (names in scan order): 0 .. count - 1, or
  // anything else to give up.
  virtual int ChooseSlot(int count, std::span<const std::string> names) = 0;

  // Claims a usable slot of the open area and announces the client with
  // command 5. Returns the status: 0 connected; 253 the choice gave up, 254 no
  // usable slot (both close the area); 255 the slot's host is not a window; else
  // the host's refusal, which leaves the slot claimed. An empty `exeName` leaves
  // the slot's client name empty; a longer one is cut to 30 bytes. A
  // `windowFilter` other than 0 limits the search to that host window's slots.
  int OpenConnection(std::string_view exeName, std::string_view clientId, WindowHandle clientWindow,
                     WindowHandle windowFilter = 0);
  // 255 without sending when the host window is not a window.
  int SendCommand(std::uint32_t command);
  // Announces the end with command 4 and releases the slot.
  void CloseConnection();

  // A measurement's transfer, once its hand-over files are in place: commands
  // 26, 2 and 27, `hand_over_raw` (which sends the commands 20 it needs), then
  // 22. A failure of 26, 2 or 27 is followed by 99 and ReportError; a failure of
  // 22 by ReportError. Returns the status of the failed command, or 0. When
  // `hand_over_raw` returns false the transfer is abandoned: 99 instead of 22,
  // nothing reported, and the result is 252. A host window found gone is not
  // reported here: the connection is lost (ConnectionLost), and whoever runs
  // the transfers says so once.
  int TransferMeasurement(const std::function<bool()>& hand_over_raw);
  // Command 20; returns its status (255 without sending when the host window
  // is not a window).
  int SendRawSignalCommand();

  int SlotIndex() const { return m_slotIndex; }
  // How many usable slots the latest OpenConnection found.
  int CandidateCount() const { return m_candidateCount; }
  int LastReply() const { return m_lastReply; }
  int OpenReply() const { return m_openReply; }
  WindowHandle HostWindow() const { return m_hostWindow; }
  bool HostIsWindow();
  // True once a command of the open connection found the host window gone
  // (before sending, or because it went while it handled the command): every
  // further command would fail the same way.
  bool ConnectionLost() const { return m_bConnectionLost; }

 private:
  // Sends when the host window is a window; keeps result >> 8 in lastReply (0
  // when not sent). Returns the full result, kSendFailed when not sent.
  std::uint32_t SendIfWindow(std::uint32_t command);
  int BeginTransfer();
  int EndTransfer();
  // After a send failed with 255: whether the host window is gone, or goes
  // within a second.
  bool HostGoesAway();
  // Reports a failed step's status unless the connection is lost.
  void ReportStepFailure(int status);

  int m_slotIndex = -1;
  int m_candidateCount = 0;
  int m_lastReply = 0;
  int m_openReply = 0;
  WindowHandle m_hostWindow = 0;
  bool m_bConnectionLost = false;
};

}  // namespace rqx340
