// The program's own user texts by string id. A language layer can stand in for
// the English table; the ids are those of the program's string resources.
#pragma once

#include <string>
#include <string_view>

namespace rqx340 {

inline constexpr int kIdsCannotCreateExchangeFile = 202;
inline constexpr int kIdsCannotMapExchangeFile = 203;
inline constexpr int kIdsCannotHandOverRaw = 204;
inline constexpr int kIdsNoConnection = 207;
// "%1" takes the text of kIdsHostError + status for host statuses 1 to 13.
inline constexpr int kIdsHostError = 550;
inline constexpr int kFirstHostStatusText = 1;
inline constexpr int kLastHostStatusText = 13;

// The dialog's texts: its caption, the controls' texts under their control ids,
// the list's column titles and the folder chooser's title.
inline constexpr int kIdsDialogCaption = 129;
inline constexpr int kIdcClose = 2;
inline constexpr int kIdcImportSelected = 1002;
inline constexpr int kIdcFolderLabel = 1004;
inline constexpr int kIdcNoMeasurements = 1005;
inline constexpr int kIdcBrowse = 1110;
inline constexpr int kIdcImportRaw = 1111;
inline constexpr int kIdsFirstColumnTitle = 208;  // 208 to 213, one per column
inline constexpr int kIdsBrowseTitle = 220;

// The files a folder scan left out: the note in the dialog's corner ("%1" the
// count), the caption and column titles of the window that lists them, and one
// text per reason, in the order of LeftOutReason ("%1" its detail).
inline constexpr int kIdsFilesNotListed = 230;
inline constexpr int kIdsOneFileNotListed = 231;
inline constexpr int kIdsNotListedCaption = 232;
inline constexpr int kIdsNotListedFirstColumnTitle = 233;  // 233 name, 234 reason
inline constexpr int kIdsFirstLeftOutReason = 240;         // 240 to 248

class StringTable {
 public:
  virtual ~StringTable() = default;
  // The text of `id`; empty when there is no such string.
  virtual std::string Load(int id) const = 0;
};

const StringTable& EnglishStrings();

// `pattern` with every "%1" replaced by `argument`.
std::string FormatString(std::string_view pattern, std::string_view argument);

}  // namespace rqx340
