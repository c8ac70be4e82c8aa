// The main dialog without its controls: the current folder, the ten-folder
// history and the folder box's list with its one typed entry, the busy state,
// "Import Raw", what the buttons may do, and the import request. A front end
// hands the user's actions in, then brings its controls in line with what the
// state says; the state never waits for input and calls no toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/measurement_list_model.h"
#include "app/rqx340_app.h"
#include "base/message_sink.h"
#include "base/progress.h"
#include "import/import_run.h"

namespace rqx340 {

// How two folder texts are found equal: byte for byte where the file system
// tells letter cases apart, ASCII letters without case where it does not (the
// history, the folder box's list and the test for a changed folder all go by
// it).
enum class FolderTextMatch { kExact, kIgnoringAsciiCase };

// One entry of the folder box's list.
struct FolderEntry {
  std::string text;
  // Typed or browsed, not yet imported from: it stands at the top of the list
  // and gives way to the next typed or browsed folder.
  bool typed = false;
  friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// The controls as UpdateControls leaves them.
struct MainDialogControls {
  bool import_enabled = false;  // a row is checked
  // A checked row has its raw data file; the box keeps its check mark either way.
  bool raw_enabled = false;
  bool empty_text_visible = true;  // the list has no rows
  friend bool operator==(const MainDialogControls&, const MainDialogControls&) = default;
};

struct WindowSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

class MainDialogState {
 public:
  // The settings are `app`'s; so are the exchange slot, the client window and
  // the pump of the import.
  MainDialogState(CRQX340App& app, FolderTextMatch match);
  MainDialogState(const MainDialogState&) = delete;
  MainDialogState& operator=(const MainDialogState&) = delete;

  MeasurementListModel& List() { return m_list; }
  const MeasurementListModel& List() const { return m_list; }

  // ---- set-up and size
  // "Import Raw", the folder and the history from the settings; the folder
  // box's list is the history up to its first empty entry, with the folder on
  // top when it is not in it.
  void InitDialog();
  // The window's first size: the saved one, never below `minimum` (the
  // template's size).
  WindowSize InitialSize(WindowSize minimum) const;
  // Every size change after InitDialog is kept in the settings.
  void OnSize(WindowSize size);

  // ---- the folder
  const std::string& Folder() const { return m_strFolder; }
  // Ten entries, most recent first; empty ones at the end.
  const std::vector<std::string>& FolderHistory() const { return m_arrFolderHistory; }
  // The folder box's list, top first.
  const std::vector<FolderEntry>& FolderEntries() const { return m_arrEntries; }
  // The entry of the list whose text is `folder`, or -1.
  int FindFolderEntry(std::string_view folder) const;
  // The entry the box selects to show the folder, or -1: the box's field then
  // holds Folder() with no entry selected.
  int ShownFolderEntry() const { return FindFolderEntry(m_strFolder); }
  // The text of the box's field, saved without a scan (before an import, a
  // close or a browse).
  void SetFolderText(std::string text) { m_strFolder = std::move(text); }

  // Each of these scans the folder into the list when it says so (true), with
  // `progress` for the scan; the front end then updates its controls and the
  // folder box.
  // The start timer: the folder of the last run, when there is one.
  bool OnTimer(ProgressSink& progress);
  // A pick from the box's list, also of the folder shown already.
  bool OnSelChangeFolder(int entry, ProgressSink& progress);
  // The focus left the box with `text` in its field: a changed folder is
  // scanned and stands on top of the list as the typed entry. Ignored while
  // TakesTypedFolder says no.
  bool OnKillFocusFolder(std::string text, ProgressSink& progress);
  // The folder chooser gave `folder`: as a typed one when it differs.
  bool OnBrowsed(std::string folder, ProgressSink& progress);
  // Whether the focus leaving the box may be taken as a typed folder: not
  // while an import or a scan runs or the dialog closes.
  bool TakesTypedFolder() const { return m_bBusy == 0 && !m_bScanning && !m_bClosing; }
  bool Scanning() const { return m_bScanning; }
  // How many scans ran.
  int Scans() const { return m_nScans; }

  // ---- "Import Raw"
  std::int32_t ImportRaw() const { return m_bImportRaw; }
  void SetImportRaw(bool checked) { m_bImportRaw = checked ? 1 : 0; }

  // ---- the controls
  MainDialogControls Controls() const;
  // Whether the preview of `row` may open: a row of a record, and no import
  // or scan under way.
  bool CanPreview(int row) const;

  // ---- the import
  bool Busy() const { return m_bBusy != 0; }
  // Marks the dialog busy and moves the folder to the top of the history,
  // which becomes the folder box's list (and goes to the settings).
  void BeginImport();
  // The checked measurements of the list, in display order, from the folder.
  ImportRequest MakeImportRequest() const;
  // Runs MakeImportRequest with `app`'s pump and strings.
  ImportResult RunImport(MessageSink& messages, ProgressSink& progress);
  // Not busy any more; also after an import that failed with an exception.
  void EndImport() { m_bBusy = 0; }

  // ---- closing (Esc, the close box, Close)
  enum class CloseAnswer {
    kIgnore,  // an import runs: the dialog stays
    kDefer,   // a scan runs: ask again after it (TakeDeferredClose)
    kClose,   // save the controls, then Close()
  };
  CloseAnswer RequestClose();
  // True once after a scan during which a close was asked for.
  bool TakeDeferredClose();
  // Keeps "Import Raw" in the settings; the dialog ends.
  void Close();

 private:
  bool SameFolder(std::string_view a, std::string_view b) const;
  void Scan(ProgressSink& progress);
  void PutTypedFolderOnTop();

  CRQX340App& m_app;
  DialogSettings& m_settings;
  FolderTextMatch m_match;
  MeasurementListModel m_list;
  std::string m_strExeName;

  std::string m_strFolder;
  std::vector<std::string> m_arrFolderHistory;
  std::vector<FolderEntry> m_arrEntries;
  std::int32_t m_bBusy = 0;
  std::int32_t m_bImportRaw = 0;
  bool m_bInitDone = false;
  bool m_bScanning = false;
  bool m_bCloseDeferred = false;
  bool m_bClosing = false;
  int m_nScans = 0;
};

}  // namespace rqx340
