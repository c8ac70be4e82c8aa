// The files that hand a converted measurement to the host: the exchange file in
// the temporary folder, its mapping (a second name of the same file, which the
// host opens), and the name file that tells the host where the exchange file is
// and where its data area starts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/mapped_view.h"
#include "platform/temp_files.h"

namespace rqx340 {

// The names derive from the exchange identifier ("ZURQX340", kExchangeId).
std::string ExchangeFileName(std::string_view id);  // id + ".$$$"
std::string NameFileName(std::string_view id);      // id + "FNM.$$$"
std::string MappingName(std::string_view id);       // id + "MAP"
std::string RawSignalName(std::string_view id);     // id + "WAV.$$$"
// id + "LCK": the session-wide lock held while a run uses the names above. It
// is a lock, not a hand-over file, and stays where it is.
std::string TransferLockName(std::string_view id);

// Forms temporary names "<prefix>_<pid>_<ticks>" + suffix, ticks as 8
// upper-case hex digits, counting up from the clock's value past names taken.
class TempNamer {
 public:
  using TickSource = std::function<std::uint32_t()>;

  // The real tick clock and process id.
  TempNamer();
  TempNamer(TickSource ticks, std::uint32_t process_id);

  // A name in `folder` that nothing carries yet; nullopt only when an absurd
  // number of candidates in a row are taken.
  std::optional<std::string> UniqueName(const TempFolder& folder, std::string_view prefix,
                                        std::string_view suffix) const;

  // Creates a file under a unique name; `name` receives it.
  Result<OutputFile> CreateUnique(const TempFolder& folder, std::string_view prefix,
                                  std::string_view suffix, std::string& name) const;

 private:
  TickSource m_ticks;
  std::uint32_t m_nProcessId;
};

// The exchange file of one measurement and what is made for the host around it.
// Everything it made is removed by Release() or when the object goes.
class ExchangeHandover {
 public:
  // Creates the exchange file empty. nullopt when it cannot be created (the
  // user is then told with string 202). `folder` must outlive the object.
  static std::optional<ExchangeHandover> Create(const TempFolder& folder, std::string_view id);

  // The open exchange file, at offset 0 after Create, for the layout writer.
  OutputFile& File() { return m_file; }
  // Its full path, as the name file carries it.
  const std::string& Path() const { return m_strPath; }

  // Writes the name file: `data_offset` (int32, little-endian) followed by the
  // exchange file's path as the file system's bytes, no terminator. False when
  // it cannot be created or written.
  bool WriteNameFile(std::int32_t data_offset);

  // Makes the mapping for the host (a stale one is removed first) and maps the
  // first `data_offset` bytes. False when either fails (string 203); nothing
  // of the mapping is left then.
  bool Map(std::int32_t data_offset);

  // Unmaps the view, removes the mapping, closes and deletes the exchange file,
  // then deletes the name file. Safe to call more than once.
  void Release();

 private:
  ExchangeHandover(const TempFolder& folder, std::string id, OutputFile file);

  const TempFolder* m_pFolder;
  std::string m_strId;
  std::string m_strPath;
  // In the reverse of the order they are given up: the view, the mapping, the
  // file, its name, the name file.
  ScopedTempName m_nameFile;
  ScopedTempName m_exchangeFile;
  OutputFile m_file;
  ScopedTempName m_mapping;
  std::optional<MappedView> m_view;
};

}  // namespace rqx340
