// The program's own user texts by string id. A language layer can stand in for
// the English table; the ids are those of the program's string resources.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace rqx340 {

inline constexpr int kIdsCannotCreateExchangeFile = 202;
inline constexpr int kIdsCannotMapExchangeFile = 203;
inline constexpr int kIdsCannotHandOverRaw = 204;
inline constexpr int kIdsNoConnection = 207;
// A measurement that is not handed to the host: "%1" the reason (230, 231), or
// the byte offset and "%2" the reason (232).
inline constexpr int kIdsMeasurementNotOpened = 230;
inline constexpr int kIdsMeasurementNotRead = 231;
inline constexpr int kIdsMeasurementNotJson = 232;
// The one message of a run whose host went away: "%1" of "%2" imported, "%3" not.
inline constexpr int kIdsConnectionLost = 233;
// The one message of a run broken off by an error: "%1" why, "%2" of "%3" imported.
inline constexpr int kIdsImportBrokenOff = 234;
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
// The list's context menu entry that opens the preview.
inline constexpr int kIdsPreviewMenu = 340;

// The preview of a measurement: its caption ("%1" the file name), the labels and
// values of its numbers, the daily exposure and its verdicts, its controls, and
// what its reading and exports report.
inline constexpr int kIdsPreviewCaption = 300;
inline constexpr int kIdsRowsLabel = 301;
inline constexpr int kIdsModeLabel = 302;
inline constexpr int kIdsSumLabel = 303;
inline constexpr int kIdsNoRowsValue = 304;
// "%1" the value with its unit; kIdsRms also names a plot series ("%1" the axis).
inline constexpr int kIdsRms = 305;
inline constexpr int kIdsPeak = 306;
inline constexpr int kIdsVdv = 307;
inline constexpr int kIdsActionValueLabel = 308;
inline constexpr int kIdsLimitValueLabel = 309;
inline constexpr int kIdsNotSet = 310;
inline constexpr int kIdsA8NoTime = 311;
inline constexpr int kIdsA8Vibration = 312;
inline constexpr int kIdsA8Value = 313;
inline constexpr int kIdsA8NoRows = 314;
inline constexpr int kIdsNoValuesSet = 315;
// 316 to 320: above the limit, above the action value, below the action value,
// below the limit, unknown.
inline constexpr int kIdsFirstVerdict = 316;
inline constexpr int kIdsSumFactorsWarning = 321;
inline constexpr int kIdsExposureHoursLabel = 322;
inline constexpr int kIdsExposureHoursTip = 323;
inline constexpr int kIdsExportCsvButton = 324;
inline constexpr int kIdsExportWavButton = 325;
inline constexpr int kIdsReadingStopped = 326;
inline constexpr int kIdsFileNotRead = 327;
inline constexpr int kIdsNotJsonTitle = 328;
inline constexpr int kIdsCsvNotWritten = 329;
inline constexpr int kIdsWavNotWritten = 330;
inline constexpr int kIdsReadError = 331;
inline constexpr int kIdsExportCsvTitle = 332;
inline constexpr int kIdsCsvFilter = 333;
inline constexpr int kIdsExportWavTitle = 334;
inline constexpr int kIdsWavFilter = 335;
inline constexpr int kIdsPlotNoRows = 336;
inline constexpr int kIdsPlotRow = 337;
inline constexpr int kIdsPlotRmsSum = 338;
// Cells of the rms columns that are not numbers: the verdict for many ("%1"
// the count) and for one, and the warning ("%1" the counts per axis).
inline constexpr int kIdsVerdictNotNumbers = 345;
inline constexpr int kIdsVerdictOneNotNumber = 346;
inline constexpr int kIdsNotNumbersWarning = 347;

// The files a folder scan left out: the note in the dialog's corner ("%1" the
// count), the caption and column titles of the window that lists them, and one
// text per reason, in the order of LeftOutReason ("%1" its detail).
inline constexpr int kIdsFilesNotListed = 250;
inline constexpr int kIdsOneFileNotListed = 251;
inline constexpr int kIdsNotListedCaption = 252;
inline constexpr int kIdsNotListedFirstColumnTitle = 253;  // 253 name, 254 reason
inline constexpr int kIdsFirstLeftOutReason = 260;         // 260 to 267; 268 unused
// The not-listed window's button that copies its rows.
inline constexpr int kIdsCopy = 270;

class StringTable {
 public:
  virtual ~StringTable() = default;
  // The text of `id`; empty when there is no such string.
  virtual std::string Load(int id) const = 0;
};

const StringTable& EnglishStrings();

// The most bytes FormatString makes. The program's own messages stay far
// below it (the longest is a few hundred bytes and a path, at most 4096 bytes
// and four times that escaped); a language table can ask for far more: 1 MB of
// "%1" would repeat a path a quarter of a million times. Text past the bound is
// cut at a character and ends with kCutMark.
inline constexpr std::size_t kMaxFormattedText = 32768;
inline constexpr std::string_view kCutMark = "\xE2\x80\xA6";  // U+2026

// `pattern` with every "%1" replaced by `argument`, at most kMaxFormattedText
// bytes.
std::string FormatString(std::string_view pattern, std::string_view argument);
// `pattern` with "%1" to "%9" replaced by the arguments in order; a number
// without an argument stays as it is. At most kMaxFormattedText bytes.
std::string FormatString(std::string_view pattern,
                         std::initializer_list<std::string_view> arguments);

}  // namespace rqx340
