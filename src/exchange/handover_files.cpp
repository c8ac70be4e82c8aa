// Hand-over names, unique temporary names, and the name file and mapping that
// accompany the exchange file.
#include "exchange/handover_files.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

#include "base/byte_order.h"
#include "platform/path_text.h"
#include "platform/process.h"
#include "platform/tick_clock.h"

namespace rqx340 {

namespace {

// Candidates tried before giving up; the folder is private, so reaching this
// means something is badly wrong with it.
constexpr std::uint32_t kMaxNameAttempts = 65536;

}  // namespace

std::string ExchangeFileName(std::string_view id) { return std::string(id) + ".$$$"; }
std::string NameFileName(std::string_view id) { return std::string(id) + "FNM.$$$"; }
std::string MappingName(std::string_view id) { return std::string(id) + "MAP"; }
std::string RawSignalName(std::string_view id) { return std::string(id) + "WAV.$$$"; }
std::string TransferLockName(std::string_view id) { return std::string(id) + "LCK"; }

TempNamer::TempNamer()
    : m_ticks(&TickCount), m_nProcessId(static_cast<std::uint32_t>(CurrentProcessId())) {}

TempNamer::TempNamer(TickSource ticks, std::uint32_t process_id)
    : m_ticks(std::move(ticks)), m_nProcessId(process_id) {}

std::optional<std::string> TempNamer::UniqueName(const TempFolder& folder, std::string_view prefix,
                                                 std::string_view suffix) const {
  std::uint32_t ticks = m_ticks();
  for (std::uint32_t attempt = 0; attempt < kMaxNameAttempts; ++attempt, ++ticks) {
    std::array<char, 32> digits{};
    std::snprintf(digits.data(), digits.size(), "_%u_%08X", m_nProcessId, ticks);
    std::string name(prefix);
    name += digits.data();
    name += suffix;
    if (!folder.Exists(name)) return name;
  }
  return std::nullopt;
}

Result<OutputFile> TempNamer::CreateUnique(const TempFolder& folder, std::string_view prefix,
                                           std::string_view suffix, std::string& name) const {
  name.clear();
  // Another process may take a name between the check and the creation; the
  // creation refuses an existing file, and the next round picks a new name.
  for (int round = 0; round < 8; ++round) {
    auto candidate = UniqueName(folder, prefix, suffix);
    if (!candidate) break;
    auto file = folder.CreateNew(*candidate);
    if (file) {
      name = std::move(*candidate);
      return file;
    }
    if (!folder.Exists(*candidate)) return file;  // failed for another reason
  }
  return Failure("no free temporary name in " + folder.Path());
}

std::optional<ExchangeHandover> ExchangeHandover::Create(const TempFolder& folder,
                                                         std::string_view id) {
  const std::string name = ExchangeFileName(id);
  // A fresh file each time: a host still holding the previous one keeps its data.
  folder.Remove(name);
  auto file = folder.CreateNew(name);
  if (!file) return std::nullopt;
  return ExchangeHandover(folder, std::string(id), std::move(*file));
}

ExchangeHandover::ExchangeHandover(const TempFolder& folder, std::string id, OutputFile file)
    : m_pFolder(&folder),
      m_strId(std::move(id)),
      m_strPath(folder.PathOf(ExchangeFileName(m_strId))),
      m_exchangeFile(TempFolderEntry{&folder, ExchangeFileName(m_strId)}),
      m_file(std::move(file)) {}

bool ExchangeHandover::WriteNameFile(std::int32_t data_offset) {
  const std::string name = NameFileName(m_strId);
  m_nameFile.Reset({m_pFolder, name});
  m_pFolder->Remove(name);
  auto file = m_pFolder->CreateNew(name);
  if (!file) return false;
  std::vector<std::byte> bytes(4);
  PutInt32(bytes, 0, data_offset);
  const std::string text = HostPathText(m_strPath);
  const auto path = std::as_bytes(std::span<const char>(text.data(), text.size()));
  bytes.insert(bytes.end(), path.begin(), path.end());
  const bool written = file->Write(bytes).Ok();
  return file->Close() && written;
}

bool ExchangeHandover::Map(std::int32_t data_offset) {
  const std::string link_name = MappingName(m_strId);
  m_pFolder->Remove(link_name);
  if (data_offset <= 0 || !m_pFolder->Link(ExchangeFileName(m_strId), link_name)) return false;
  m_mapping.Reset({m_pFolder, link_name});
  auto view = m_file.Map(static_cast<std::size_t>(data_offset));
  if (!view) {
    m_mapping.Reset();
    return false;
  }
  m_view = std::move(*view);
  return true;
}

void ExchangeHandover::Release() {
  m_view.reset();
  m_mapping.Reset();
  m_file.Close();
  m_exchangeFile.Reset();
  m_nameFile.Reset();
}

}  // namespace rqx340
