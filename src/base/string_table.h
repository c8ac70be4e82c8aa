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
