// The rows hold no texts: a cell's text is made from its record each time it
// is asked for, so a folder with many files costs one small row per record.
#include "app/measurement_list_model.h"

#include <algorithm>
#include <numeric>

#include "base/display_text.h"
#include "measurement/date_time.h"

namespace rqx340 {

namespace {

template <typename T>
int Compare(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto fold = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
  };
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int c = Compare(fold(a[i]), fold(b[i]));
    if (c != 0) return c;
  }
  return Compare(a.size(), b.size());
}

std::string CellText(const CRQX340Json& record, int column, const LocalePictures& pictures) {
  switch (column) {
    case 0:
      return record.m_strName;
    case 1:
      return record.m_tStart == 0 ? "N/A" : FormatDateTime(record.m_tStart, pictures);
    case 2:
      return record.m_strSerialNum;
    case 3:
      return std::to_string(record.m_nSize);
    case 4:
      return record.m_strMode;
    case kRawColumn:
      // Any other non-zero flag comes with a raw data file found.
      return record.m_nRaw == 0 ? "NO" : (record.m_nRaw == 2 ? "YES*" : "YES");
    default:
      return {};
  }
}

std::array<int, kListColumnCount> ColumnWidths(int usable) {
  std::array<int, kListColumnCount> widths{};
  for (std::size_t column = 0; column < widths.size(); ++column) {
    widths[column] = std::max(usable, 0) * kColumnShares[column] / 100;
  }
  return widths;
}

MeasurementListModel::MeasurementListModel(DialogSettings* settings) : m_pSettings(settings) {
  if (m_pSettings != nullptr) {
    m_nSortColumn = std::min(m_pSettings->SortColumn(), std::int32_t{kRawColumn});
    m_nSortOrder = m_pSettings->SortOrder();
  }
}

void MeasurementListModel::ScanFolder(const std::string& folder, ProgressSink& progress) {
  m_lastScan = ScanReport();
  if (folder.empty()) {
    m_arrRecords.clear();
  } else {
    m_arrRecords = rqx340::ScanFolder(folder, progress, &m_lastScan);
    std::sort(m_arrRecords.begin(), m_arrRecords.end(),
              [](const CRQX340Json& a, const CRQX340Json& b) { return a.m_strName < b.m_strName; });
  }
  FillList();
}

void MeasurementListModel::SetRecords(std::vector<CRQX340Json> records) {
  m_arrRecords = std::move(records);
  FillList();
}

void MeasurementListModel::FillList() {
  if (m_pObserver != nullptr) m_pObserver->RowsAboutToBeReset();
  m_pictures = UserLocalePictures();
  m_rows.clear();
  m_rows.reserve(m_arrRecords.size());
  for (std::size_t j = 0; j < m_arrRecords.size(); ++j) {
    m_rows.push_back({static_cast<std::int32_t>(j), false});
  }
  // Sorted before anyone sees the rows: one reset, no reordering after it.
  std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) {
    return CompareRecords(a.record, b.record) < 0;
  });
  if (m_pObserver != nullptr) m_pObserver->RowsReset();
}

std::int32_t MeasurementListModel::RecordOfRow(int row) const {
  if (row < 0 || row >= RowCount()) return -1;
  return m_rows[static_cast<std::size_t>(row)].record;
}

const CRQX340Json* MeasurementListModel::RecordAt(int row) const {
  const std::int32_t record = RecordOfRow(row);
  if (record < 0 || static_cast<std::size_t>(record) >= m_arrRecords.size()) return nullptr;
  return &m_arrRecords[static_cast<std::size_t>(record)];
}

bool MeasurementListModel::IsChecked(int row) const {
  return row >= 0 && row < RowCount() && m_rows[static_cast<std::size_t>(row)].checked;
}

std::string MeasurementListModel::CellText(int row, int column) const {
  const CRQX340Json* record = RecordAt(row);
  if (record == nullptr) return {};
  // Names and texts from the file may carry controls and direction marks.
  return EscapeForDisplay(rqx340::CellText(*record, column, m_pictures));
}

std::vector<std::int32_t> MeasurementListModel::GetCheckedIndices() const {
  std::vector<std::int32_t> indices;
  for (const Row& row : m_rows) {
    if (row.checked) indices.push_back(row.record);
  }
  return indices;
}

bool MeasurementListModel::OnItemChanged(int row, bool checked,
                                         std::span<const int> selected_rows) {
  if (m_bInCheckChange) return false;
  if (row < 0 || row >= RowCount() || IsChecked(row) == checked) return false;
  m_bInCheckChange = true;
  std::vector<int> changed;
  const auto set = [&](int target) {
    if (target < 0 || target >= RowCount()) return;
    Row& entry = m_rows[static_cast<std::size_t>(target)];
    if (entry.checked == checked) return;
    entry.checked = checked;
    changed.push_back(target);
  };
  if (std::find(selected_rows.begin(), selected_rows.end(), row) != selected_rows.end()) {
    for (const int selected : selected_rows) set(selected);
  }
  set(row);
  if (m_pObserver != nullptr) m_pObserver->ChecksChanged(changed);
  m_bInCheckChange = false;
  return true;
}

int MeasurementListModel::ArrowOf(int column) const {
  if (column != m_nSortColumn || column < 0 || column >= kListColumnCount) return 0;
  return m_nSortOrder != 0 ? kIdbSortUp : kIdbSortDown;
}

void MeasurementListModel::OnColumnClick(int column) {
  if (column == m_nSortColumn) {
    m_nSortOrder = m_nSortOrder == 0 ? 1 : 0;
  } else {
    m_nSortOrder = 1;
  }
  const int old_column = m_nSortColumn;
  m_nSortColumn = column;
  if (m_pObserver != nullptr) m_pObserver->SortArrowChanged(old_column, column);
  SortRows();
  if (m_pSettings != nullptr) m_pSettings->SetSort(m_nSortColumn, m_nSortOrder);
}

int MeasurementListModel::CompareRecords(std::int32_t index1, std::int32_t index2) const {
  const auto valid = [this](std::int32_t i) {
    return i >= 0 && static_cast<std::size_t>(i) < m_arrRecords.size();
  };
  if (!valid(index1) || !valid(index2)) return 0;
  const CRQX340Json& a = m_arrRecords[static_cast<std::size_t>(index1)];
  const CRQX340Json& b = m_arrRecords[static_cast<std::size_t>(index2)];
  int c = 0;
  switch (m_nSortColumn) {
    case 1:
      c = Compare(a.m_tStart, b.m_tStart);
      break;
    case 2:
      c = CompareIgnoringAsciiCase(a.m_strSerialNum, b.m_strSerialNum);
      break;
    case 3:
      c = Compare(a.m_nSize, b.m_nSize);
      break;
    case 4:
      c = CompareIgnoringAsciiCase(a.m_strMode, b.m_strMode);
      break;
    default:
      // The Raw column and any column outside 1 to 4 sort by name.
      c = CompareIgnoringAsciiCase(a.m_strName, b.m_strName);
      break;
  }
  return m_nSortOrder != 0 ? c : -c;
}

void MeasurementListModel::SortRows() {
  if (m_pObserver != nullptr) m_pObserver->RowsAboutToBeSorted();
  std::vector<std::size_t> order(m_rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    return CompareRecords(m_rows[a].record, m_rows[b].record) < 0;
  });
  std::vector<Row> sorted;
  sorted.reserve(m_rows.size());
  std::vector<int> new_row_of(m_rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(m_rows[order[i]]);
    new_row_of[order[i]] = static_cast<int>(i);
  }
  m_rows = std::move(sorted);
  if (m_pObserver != nullptr) m_pObserver->RowsSorted(new_row_of);
}

}  // namespace rqx340
