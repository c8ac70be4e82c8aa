// Slot claiming, the connection commands and a measurement's transfer sequence.
#include "exchange/exchange_client.h"

#include <chrono>
#include <thread>
#include <vector>

#include "base/byte_order.h"
#include "exchange/slot_layout.h"
#include "platform/code_page.h"

namespace rqx340 {

namespace {

// How long a host window that failed a command is watched for going away.
constexpr int kGoneLooks = 10;
constexpr int kGoneLookIntervalMs = 100;

int UpperBits(std::uint32_t result) { return static_cast<std::int32_t>(result) >> 8; }
int StatusOf(std::uint32_t result) { return static_cast<int>(result & 0xFF); }

}  // namespace

CQWExchangeClient::CQWExchangeClient(WindowMessenger* messenger) : CQWExchange(messenger) {}

CQWExchangeClient::~CQWExchangeClient() { CloseConnection(); }

bool CQWExchangeClient::HostIsWindow() {
  WindowMessenger* messenger = Messenger();
  return messenger != nullptr && messenger->IsWindow(m_hostWindow);
}

std::uint32_t CQWExchangeClient::SendIfWindow(std::uint32_t command) {
  if (!HostIsWindow()) {
    m_lastReply = 0;
    m_bConnectionLost = m_slotIndex >= 0;
    return kSendFailed;
  }
  const std::uint32_t result = Messenger()->Send(
      m_hostWindow, {kHostMessage, command, static_cast<std::int32_t>(m_slotIndex)});
  m_lastReply = UpperBits(result);
  // A host may answer 255 itself; only a window that is gone afterwards lost it.
  if (StatusOf(result) == kStatusNoWindow && m_slotIndex >= 0 && HostGoesAway()) {
    m_bConnectionLost = true;
  }
  return result;
}

bool CQWExchangeClient::HostGoesAway() {
  // A host that ends inside a command may still answer for a moment while it
  // goes; a live one that answered 255 itself costs this wait once.
  for (int look = 0; look < kGoneLooks; ++look) {
    if (!HostIsWindow()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kGoneLookIntervalMs));
  }
  return false;
}

int CQWExchangeClient::OpenConnection(std::string_view exeName, std::string_view clientId,
                                      WindowHandle clientWindow, WindowHandle windowFilter) {
  CloseConnection();
  m_bConnectionLost = false;
  SetCursor(0);
  SetWindowFilter(windowFilter);
  SetClientId(ToAnsi(clientId));

  std::vector<int> candidates;
  std::vector<std::string> names;
  for (int index; (index = FindNextSlot()) >= 0;) {
    candidates.push_back(index);
    names.push_back(GetSlotName(index));
  }
  m_candidateCount = static_cast<int>(candidates.size());
  if (candidates.empty()) {
    const std::string area = Name();
    // A shrunk area says so; anything else means no slot was offered.
    std::string reason = IsIntact() ? std::string() : LastError();
    if (reason.empty()) {
      reason = "no usable slot for client " + std::string(clientId) + " in exchange area " + area;
    }
    Close();
    SetLastError(reason);
    return kStatusNoSlot;
  }
  std::size_t chosen = 0;
  if (candidates.size() > 1) {
    const int count = static_cast<int>(candidates.size());
    const int choice = ChooseSlot(count, names);
    // A choice that names no candidate counts as giving up.
    if (choice < 0 || choice >= count) {
      Close();
      SetLastError({});
      return kStatusChoiceDeclined;
    }
    chosen = static_cast<std::size_t>(choice);
  }

  m_slotIndex = candidates[chosen];
  const std::string client_name = ToAnsi(exeName);
  WithLockedArea([&](std::span<std::byte> area) {
    const auto slot = SlotBytes(area, m_slotIndex);
    PutUint32(slot, kClientWindowOffset, clientWindow);
    PutText(slot, kClientNameOffset, kClientNameSize,
            AnsiFieldText(client_name, kClientNameMaxText), kClientNameMaxText);
    m_hostWindow = GetUint32(slot, kHostWindowOffset);
  });
  SetLastError({});

  if (!HostIsWindow()) {
    m_lastReply = m_openReply = 0;
    return kStatusNoWindow;
  }
  const std::uint32_t result = SendIfWindow(kCmdOpen);
  m_openReply = m_lastReply;
  return StatusOf(result);
}

int CQWExchangeClient::SendCommand(std::uint32_t command) {
  return StatusOf(SendIfWindow(command));
}

void CQWExchangeClient::CloseConnection() {
  if (m_slotIndex < 0) return;
  SendIfWindow(kCmdClose);
  WithLockedArea([&](std::span<std::byte> area) {
    PutUint32(SlotBytes(area, m_slotIndex), kClientWindowOffset, 0);
  });
  m_slotIndex = -1;
  m_hostWindow = 0;
}

void CQWExchangeClient::ReportStepFailure(int status) {
  if (!m_bConnectionLost) ReportError(status);
}

int CQWExchangeClient::BeginTransfer() {
  for (const std::uint32_t command : {kCmdTransferFile, kCmdTransferData, kCmdTransferTime}) {
    if (const int status = SendCommand(command); status != kStatusDone) {
      if (!m_bConnectionLost) SendIfWindow(kCmdTransferAbort);
      ReportStepFailure(status);
      return status;
    }
  }
  return kStatusDone;
}

int CQWExchangeClient::SendRawSignalCommand() { return SendCommand(kCmdRawSignal); }

int CQWExchangeClient::EndTransfer() {
  const int status = SendCommand(kCmdTransferEnd);
  if (status != kStatusDone) ReportStepFailure(status);
  return status;
}

int CQWExchangeClient::TransferMeasurement(const std::function<bool()>& hand_over_raw) {
  if (const int status = BeginTransfer(); status != kStatusDone) return status;
  if (hand_over_raw && !hand_over_raw()) {
    SendIfWindow(kCmdTransferAbort);
    return kStatusStopped;
  }
  return EndTransfer();
}

}  // namespace rqx340
