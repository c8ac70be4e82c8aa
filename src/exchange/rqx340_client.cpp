// Host statuses as messages of the string table.
#include "exchange/rqx340_client.h"

namespace rqx340 {

HostErrorMessage MessageForStatus(const StringTable& strings, int status) {
  if (status == kStatusNoSlot || status == kStatusNoWindow) {
    return {kIdsNoConnection, strings.Load(kIdsNoConnection)};
  }
  std::string detail;
  if (status >= kFirstHostStatusText && status <= kLastHostStatusText) {
    detail = strings.Load(kIdsHostError + status);
  }
  return {kIdsHostError, FormatString(strings.Load(kIdsHostError), detail)};
}

CRQX340Client::CRQX340Client(MessageSink& sink, int exchange_index, const StringTable& strings,
                             WindowMessenger* messenger)
    : CQWExchangeClient(messenger),
      m_sink(sink),
      m_nExchangeIndex(exchange_index),
      m_strings(strings) {}

void CRQX340Client::ReportError(int status) {
  const HostErrorMessage message = MessageForStatus(m_strings, status);
  if (status == kStatusNoSlot && !LastError().empty()) m_sink.ShowDetail(LastError());
  m_sink.ShowHostError(status, message.id, message.text);
}

int CRQX340Client::ChooseSlot(int, std::span<const std::string>) { return m_nExchangeIndex; }

}  // namespace rqx340
