// The reference host's commands: it reads the hand-over files of the session
// directory, checks them with the exchange-file reader and stores what arrives
// in the inbox.
#include "host.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/byte_order.h"
#include "exchange/exchange_client.h"
#include "exchange/handover_files.h"
#include "platform/code_page.h"
#include "platform/input_file.h"
#include "platform/path_text.h"
#include "platform/temp_files.h"
#include "utf8_path.h"

namespace rqx340::refhost {

namespace {

namespace fs = std::filesystem;

// Raw signal files larger than this are refused rather than read into memory.
constexpr std::size_t kMaxHandoverFile = std::size_t{1} << 30;
constexpr std::size_t kMaxNameFile = 4 + 4096;
constexpr std::size_t kMaxInboxName = 200;
constexpr std::size_t kCopyPiece = std::size_t{1} << 20;
constexpr char kAxisNames[] = {'X', 'Y', 'Z'};

std::string Hex32(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

bool WriteWholeFile(const fs::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  return out.good();
}

// Copies all of `source` to `path` in pieces, so that no copy of a large file
// is ever held in memory.
bool CopyWholeFile(const ExchangeSource& source, const fs::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<std::byte> piece(kCopyPiece);
  for (std::uint64_t done = 0; out && done < source.Size();) {
    const auto size =
        static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPiece, source.Size() - done));
    const std::span<std::byte> part(piece.data(), size);
    if (!source.ReadAt(done, part)) return false;
    out.write(reinterpret_cast<const char*>(part.data()), static_cast<std::streamsize>(size));
    done += size;
  }
  out.close();
  return out.good();
}

}  // namespace

std::uint64_t NextInboxNumber(const std::string& inbox) {
  std::uint64_t highest = 0;
  std::error_code error;
  for (fs::directory_iterator it(PathOf(inbox), error), end; !error && it != end; it.increment(error)) {
    const std::string name = TextOf(it->path().filename());
    std::uint64_t number = 0;
    std::size_t digits = 0;
    while (digits < name.size() && digits < 18 && name[digits] >= '0' && name[digits] <= '9') {
      number = number * 10 + static_cast<std::uint64_t>(name[digits] - '0');
      ++digits;
    }
    if (digits > 0 && digits < name.size() && name[digits] == '-' && number > highest) {
      highest = number;
    }
  }
  return highest + 1;
}

std::string InboxName(std::string_view utf8_name) {
  std::string name(utf8_name);
  constexpr std::string_view kNotInNames = "\\/:*?\"<>|";
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || kNotInNames.find(c) != std::string_view::npos) {
      c = '_';
    }
  }
  if (name.size() > kMaxInboxName) {
    std::size_t cut = kMaxInboxName;
    // Never split a character: back up over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}

bool Host::Offers(std::int32_t slot) const {
  return std::find(m_slots.begin(), m_slots.end(), slot) != m_slots.end();
}

std::optional<std::uint32_t> Host::HandleCommand(std::uint32_t command, std::int32_t slot) {
  const std::uint64_t count = ++m_counts[command];
  LogEntry entry;
  entry.command = command;
  entry.slot = slot;
  for (const auto& rule : m_options.exit_on) {
    if (rule.Matches(command, count)) {
      entry.checks.push_back("exit on occurrence " + std::to_string(count));
      m_log.Write(entry);
      return std::nullopt;
    }
  }
  // Every command 20 takes the next axis, whether it is refused or not.
  if (command == kCmdRawSignal && Offers(slot)) {
    ++m_transfers[static_cast<std::size_t>(slot)].raw_signals;
  }
  const FailRule* forced = nullptr;
  for (const auto& rule : m_options.fails) {
    if (rule.match.Matches(command, count)) {
      forced = &rule;
      break;
    }
  }
  std::uint32_t reply = 0;
  if (forced && (forced->reply & 0xFF) != 0) {
    // A failed command does none of its work.
    entry.checks.push_back("forced reply " + Hex32(forced->reply));
    reply = forced->reply;
  } else {
    Work work = DoCommand(command, slot);
    entry.checks = std::move(work.checks);
    reply = static_cast<std::uint32_t>(work.status) & 0xFF;
    if (forced) {
      entry.checks.push_back("forced upper bits " + Hex32(forced->reply));
      reply |= forced->reply & ~std::uint32_t{0xFF};
    }
  }
  entry.reply = reply;
  m_log.Write(entry);
  return reply;
}

Host::Work Host::DoCommand(std::uint32_t command, std::int32_t slot) {
  if (!Offers(slot)) return {12, {"slot " + std::to_string(slot) + " is not offered"}};
  Transfer& transfer = m_transfers[static_cast<std::size_t>(slot)];
  switch (command) {
    case kCmdOpen:
      transfer = {};
      return Open(slot);
    case kCmdTransferFile:
      transfer = {};
      return OpenExchangeFile(transfer);
    case kCmdTransferData:
      if (!transfer.file_opened) return {12, {"no exchange file open (command 26 first)"}};
      return CheckMapping(transfer);
    case kCmdTransferTime:
      if (!transfer.structure_ok) return {12, {"exchange file not checked (command 2 first)"}};
      return CheckTime(transfer);
    case kCmdRawSignal:
      if (!transfer.time_ok) return {12, {"no measurement in transfer"}};
      return TakeRawSignal(transfer);
    case kCmdTransferEnd: {
      if (!transfer.time_ok) {
        transfer = {};
        return {8, {"no complete measurement to store"}};
      }
      Work work = Store(transfer);
      transfer = {};
      return work;
    }
    case kCmdTransferAbort:
      transfer = {};
      return {0, {"transfer abandoned"}};
    case kCmdClose:
      transfer = {};
      return {0, {"connection closed"}};
    default:
      return {9, {"unknown command"}};
  }
}

Host::Work Host::Open(std::int32_t slot) {
  Slot fields;
  if (!m_area.WithLockedArea(
          [&](std::span<std::byte> area) { fields = ReadSlot(SlotBytes(area, slot)); })) {
    return {12, {m_area.LastError()}};
  }
  char window[16];
  std::snprintf(window, sizeof window, "%08X", static_cast<unsigned>(fields.clientWindow));
  return {0,
          {std::string("client window ") + window, "client name " + FromAnsi(fields.clientName)}};
}

Host::Work Host::OpenExchangeFile(Transfer& transfer) {
  const std::string name_file = NameFileName(m_options.client_id);
  const auto content = m_session.ReadFile(name_file, kMaxNameFile);
  if (!content) return {1, {"name file: " + content.ErrorText()}};
  if (content->size() < 5) {
    return {1, {"name file: " + std::to_string(content->size()) + " bytes, too short"}};
  }
  const auto offset =
      static_cast<std::uint32_t>(GetInt32(std::as_bytes(std::span(content->data(), 4)), 0));
  const std::string path = PathFromHostText(std::string_view(*content).substr(4));
  const auto file = InputFile::Open(path);
  if (!file)
    return {1, {"name file: data offset " + std::to_string(offset), "cannot open " + path}};
  transfer.file_opened = true;
  transfer.data_offset = static_cast<std::int32_t>(offset);
  transfer.file_size = file->Size();
  return {0,
          {"name file: data offset " + std::to_string(transfer.data_offset),
           "exchange file " + path + ": " + std::to_string(transfer.file_size) + " bytes"}};
}

// The mapping stays open until the transfer ends: its header and blocks are
// decoded here, and its bytes are read once, by Store, straight into the inbox.
Host::Work Host::CheckMapping(Transfer& transfer) {
  const std::string mapping = MappingName(m_options.client_id);
  auto source = FileSource::Open(m_session.PathOf(mapping));
  if (!source) return {2, {"mapping: cannot open " + m_session.PathOf(mapping)}};
  if (source->Size() != transfer.file_size) {
    return {2,
            {"mapping " + mapping + ": " + std::to_string(source->Size()) +
             " bytes, the exchange file has " + std::to_string(transfer.file_size)}};
  }
  DecodedExchange decoded = DecodeExchange(*source);
  Work work = CheckStructure(*source, decoded, transfer.data_offset);
  work.checks.insert(work.checks.begin(),
                     "mapping " + mapping + ": " + std::to_string(source->Size()) + " bytes");
  if (work.status == 0) {
    transfer.mapping = std::move(*source);
    transfer.decoded = std::move(decoded);
    transfer.structure_ok = true;
  }
  return work;
}

Host::Work Host::CheckTime(Transfer& transfer) {
  Work work = CheckTimeAndData(transfer.decoded);
  transfer.time_ok = work.status == 0;
  return work;
}

Host::Work Host::TakeRawSignal(Transfer& transfer) {
  const std::size_t position = transfer.raw_signals - 1;
  if (position >= std::size(kAxisNames)) return {12, {"more than three raw signals"}};
  const std::string name = RawSignalName(m_options.client_id);
  auto content = m_session.ReadFile(name, kMaxHandoverFile);
  if (!content) return {1, {"raw signal: " + content.ErrorText()}};
  const char axis = kAxisNames[position];
  const std::string check =
      std::string("raw signal ") + axis + ": " + std::to_string(content->size()) + " bytes";
  transfer.axes[position] = std::move(*content);
  return {0, {check}};
}

Host::Work Host::Store(Transfer& transfer) {
  char number[24];
  std::snprintf(number, sizeof number, "%03llu-",
                static_cast<unsigned long long>(NextInboxNumber(m_options.inbox)));
  const std::string base = number + InboxName(MeasurementName(transfer.decoded));
  const fs::path inbox = PathOf(m_options.inbox);
  std::error_code error;
  fs::create_directories(inbox, error);

  Work work;
  std::vector<fs::path> written;
  const auto note = [&](const fs::path& path, bool ok) {
    if (!ok) return false;
    written.push_back(path);
    work.checks.push_back("stored " + TextOf(path));
    return true;
  };
  const auto write = [&](const fs::path& path, std::string_view content) {
    return note(path, WriteWholeFile(path, content));
  };
  const fs::path exchange_path = inbox / PathOf(base + ".bin");
  bool stored = note(exchange_path, CopyWholeFile(*transfer.mapping, exchange_path));
  for (std::size_t i = 0; stored && i < transfer.axes.size(); ++i) {
    if (transfer.axes[i]) {
      stored = write(inbox / PathOf(base + "-" + kAxisNames[i] + ".raw"), *transfer.axes[i]);
    }
  }
  if (!stored) {
    for (const auto& path : written) fs::remove(path, error);
    return {11, {"cannot store the measurement in " + TextOf(inbox)}};
  }
  return work;
}

}  // namespace rqx340::refhost
