// The files a folder scan left out, as the dialog shows them: a note in the
// bottom-left corner, where the progress bar stands while it is hidden ("3
// files not listed…"), and the small window it opens, which lists each file
// with its reason, sorted by a click on a column's title and copied as text.
// Each front end draws both; what they say and in which order is here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_dialog_template.h"
#include "base/string_table.h"
#include "measurement/folder_scan.h"

namespace rqx340 {

// The note is a control of its own beside the template's nine, which keep
// their places.
inline constexpr std::uint32_t kIdcNotListed = 1112;

// The note's place: the progress bar's left, top and height, as wide as the
// room up to the Import button, anchored as the progress bar is. The button
// only moves away from it as the dialog grows, so the two never meet.
DialogControl NotListedNotePlace(const DialogControl& progress, const DialogControl& import_button);

// One file of the window: its name and why it is not listed, both as they are
// shown (controls and direction marks escaped).
struct NotListedRow {
  std::string name;
  std::string reason;
  friend bool operator==(const NotListedRow&, const NotListedRow&) = default;
};

inline constexpr int kNotListedColumnCount = 2;

class NotListedTable {
 public:
  // The rows of `files` in `strings`' language, by name ascending.
  NotListedTable(std::span<const LeftOutFile> files, const StringTable& strings);

  // The window's caption and the titles of its two columns.
  const std::string& Caption() const { return m_strCaption; }
  const std::string& ColumnTitle(int column) const;

  int RowCount() const { return static_cast<int>(m_rows.size()); }
  // The row at `row` in display order; an empty one outside the rows.
  const NotListedRow& Row(int row) const;
  // The text of a cell; empty outside the rows and columns.
  const std::string& CellText(int row, int column) const;

  // By name (letters without case, then byte for byte) or by reason (then by
  // name), ascending or not. Rows that compare equal keep their order.
  int SortColumn() const { return m_nSortColumn; }
  bool Ascending() const { return m_bAscending; }
  void SortBy(int column, bool ascending);
  // A click on a column's title: the sort column again turns the order,
  // another column sorts ascending by it.
  void OnColumnClick(int column);

  // The rows `rows` (display order; every row when empty) as text, one line
  // each, the name and the reason separated by a TAB, each line ending in
  // `line_end`. The texts are escaped, so neither holds a TAB or a line end.
  std::string CopyText(std::span<const int> rows, std::string_view line_end = "\n") const;

 private:
  std::string m_strCaption;
  std::array<std::string, kNotListedColumnCount> m_strTitles;
  std::vector<NotListedRow> m_rows;
  int m_nSortColumn = 0;
  bool m_bAscending = true;
};

}  // namespace rqx340
