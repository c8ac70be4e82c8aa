// The texts of the not-listed window come from the string table, each name
// and reason escaped once, when the table is made.
#include "app/not_listed_files.h"

#include <algorithm>

#include "app/measurement_list_model.h"
#include "base/display_text.h"

namespace rqx340 {

namespace {

const NotListedRow kNoRow;
const std::string kNoText;

int CompareNames(std::string_view a, std::string_view b) {
  const int c = CompareIgnoringAsciiCase(a, b);
  if (c != 0) return c;
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

DialogControl NotListedNotePlace(const DialogControl& progress,
                                 const DialogControl& import_button) {
  constexpr int kGap = 4;  // dialog units between the note and the button
  const int width = std::max(progress.width, import_button.x - kGap - progress.x);
  return {kIdcNotListed, progress.x, progress.y, width, progress.height, progress.anchors};
}

NotListedTable::NotListedTable(std::span<const LeftOutFile> files, const StringTable& strings)
    : m_strCaption(strings.Load(kIdsNotListedCaption)) {
  for (int column = 0; column < kNotListedColumnCount; ++column) {
    m_strTitles[static_cast<std::size_t>(column)] = strings.Load(kIdsNotListedFirstColumnTitle + column);
  }
  m_rows.reserve(files.size());
  for (const LeftOutFile& file : files) {
    m_rows.push_back(
        {EscapeForDisplay(file.m_strName), EscapeForDisplay(LeftOutText(file, strings))});
  }
  SortBy(0, true);
}

const std::string& NotListedTable::ColumnTitle(int column) const {
  return column >= 0 && column < kNotListedColumnCount ? m_strTitles[static_cast<std::size_t>(column)]
                                                   : kNoText;
}

const NotListedRow& NotListedTable::Row(int row) const {
  return row >= 0 && row < RowCount() ? m_rows[static_cast<std::size_t>(row)] : kNoRow;
}

const std::string& NotListedTable::CellText(int row, int column) const {
  if (row < 0 || row >= RowCount()) return kNoText;
  const NotListedRow& r = m_rows[static_cast<std::size_t>(row)];
  switch (column) {
    case 0:
      return r.name;
    case 1:
      return r.reason;
    default:
      return kNoText;
  }
}

void NotListedTable::SortBy(int column, bool ascending) {
  if (column < 0 || column >= kNotListedColumnCount) return;
  m_nSortColumn = column;
  m_bAscending = ascending;
  std::stable_sort(m_rows.begin(), m_rows.end(), [&](const NotListedRow& a, const NotListedRow& b) {
    int c = column == 1 ? CompareNames(a.reason, b.reason) : 0;
    if (c == 0) c = CompareNames(a.name, b.name);
    return ascending ? c < 0 : c > 0;
  });
}

void NotListedTable::OnColumnClick(int column) {
  SortBy(column, column == m_nSortColumn ? !m_bAscending : true);
}

std::string NotListedTable::CopyText(std::span<const int> rows, std::string_view line_end) const {
  std::string text;
  const auto append = [&](const NotListedRow& row) {
    text += row.name;
    text += '\t';
    text += row.reason;
    text += line_end;
  };
  if (rows.empty()) {
    for (const NotListedRow& row : m_rows) append(row);
    return text;
  }
  std::vector<int> sorted(rows.begin(), rows.end());
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (const int row : sorted) {
    if (row >= 0 && row < RowCount()) append(m_rows[static_cast<std::size_t>(row)]);
  }
  return text;
}

}  // namespace rqx340
