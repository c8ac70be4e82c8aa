// This program's exchange client: host errors become messages of the string
// table, and the slot is the one chosen with -i on the command line.
#pragma once

#include "base/message_sink.h"
#include "base/string_table.h"
#include "exchange/exchange_client.h"

namespace rqx340 {

// The exchange identifier: the kind of client this program is in a slot, and
// the base of its hand-over names.
inline constexpr std::string_view kExchangeId = "ZURQX340";

class CRQX340Client final : public CQWExchangeClient {
 public:
  // `exchange_index` is the -i value of the command line, -1 when absent.
  CRQX340Client(MessageSink& sink, int exchange_index,
                const StringTable& strings = EnglishStrings(),
                WindowMessenger* messenger = nullptr);

  // 254 and 255: "connection not possible" (string 207); for 254 the reason
  // the area or slot was not found comes first as a detail. Any other status: string 550 with
  // the status's text (strings 551 to 563 for 1 to 13, else empty).
  void ReportError(int status) override;
  // The -i value, whatever the candidates are.
  int ChooseSlot(int count, std::span<const std::string> names) override;

 private:
  MessageSink& m_sink;
  int m_nExchangeIndex;
  const StringTable& m_strings;
};

// The message ReportError shows for `status`, and the id it is built on.
struct HostErrorMessage {
  int id;
  std::string text;
};
HostErrorMessage MessageForStatus(const StringTable& strings, int status);

}  // namespace rqx340
