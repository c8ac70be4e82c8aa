// The host side of the exchange: answers the client's commands the way a careful
// host would, reading the hand-over files of the session directory and storing
// every measurement it receives in the inbox.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "command_log.h"
#include "exchange/exchange_area.h"
#include "exchange/slot_layout.h"
#include "exchange_check.h"
#include "options.h"
#include "platform/session_dir.h"

namespace rqx340::refhost {

// Exit code of a host that dies on purpose (--exit-on).
inline constexpr int kExitOnCommandCode = 3;

class Host {
 public:
  // `slots` are the indices of the slots this host offers.
  Host(const Options& options, CQWExchange& area, const SessionDir& session, CommandLog& log,
       std::vector<int> slots)
      : m_options(options),
        m_area(area),
        m_session(session),
        m_log(log),
        m_slots(std::move(slots)) {}

  // Logs the command and returns the reply; nullopt, after the log line, for
  // an --exit-on match: the host is to end at once without answering.
  std::optional<std::uint32_t> HandleCommand(std::uint32_t command, std::int32_t slot);

 private:
  // The status of a command and what the host found doing it.
  using Work = CheckOutcome;
  // What the host holds of the measurement in transfer on one slot.
  struct Transfer {
    bool file_opened = false;  // 26 succeeded
    std::int32_t data_offset = 0;
    std::uint64_t file_size = 0;
    bool structure_ok = false;          // 2 succeeded
    std::optional<FileSource> mapping;  // the exchange file through its mapping, open from 2
    DecodedExchange decoded;            // its blocks, decoded once for commands 2, 27 and 22
    bool time_ok = false;               // 27 succeeded
    // Axis files by the position of their command 20, refused ones included.
    std::size_t raw_signals = 0;
    std::array<std::optional<std::string>, 3> axes;
  };

  bool Offers(std::int32_t slot) const;
  Work DoCommand(std::uint32_t command, std::int32_t slot);
  Work Open(std::int32_t slot);
  Work OpenExchangeFile(Transfer& transfer);
  Work CheckMapping(Transfer& transfer);
  Work CheckTime(Transfer& transfer);
  Work TakeRawSignal(Transfer& transfer);
  Work Store(Transfer& transfer);

  const Options& m_options;
  CQWExchange& m_area;
  const SessionDir& m_session;
  CommandLog& m_log;
  std::vector<int> m_slots;
  std::map<std::uint32_t, std::uint64_t> m_counts;
  std::array<Transfer, kSlotCount> m_transfers;
};

// The number the next measurement of `inbox` gets: one above the highest
// "NNN-" prefix found there, 1 for an empty or missing inbox.
std::uint64_t NextInboxNumber(const std::string& inbox);

// A measurement's name made fit for a file name on every system, so that both
// builds fill an inbox alike: what Windows does not allow in a name (\ / : * ?
// " < > | and control characters) becomes "_", and the name is cut (at a
// character boundary) to 200 bytes.
std::string InboxName(std::string_view utf8_name);

}  // namespace rqx340::refhost
