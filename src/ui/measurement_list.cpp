// The measurement list on a tree view in list form.
#include "ui/measurement_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <numeric>

#include "base/display_text.h"
#include "measurement/date_time.h"

namespace rqx340 {

namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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

// ---------------------------------------------------------------------------
// MeasurementListModel

MeasurementListModel::MeasurementListModel(const std::vector<CRQX340Json>& records, QObject* parent)
    : QAbstractTableModel(parent), m_records(records) {}

int MeasurementListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MeasurementListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumnCount;
}

QVariant MeasurementListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = m_rows[static_cast<std::size_t>(index.row())];
  if (role == Qt::CheckStateRole && index.column() == 0) {
    return row.checked ? Qt::Checked : Qt::Unchecked;
  }
  if (role != Qt::DisplayRole) return {};
  // A row whose record is gone shows empty cells.
  if (row.record < 0 || static_cast<std::size_t>(row.record) >= m_records.size()) return QString();
  return ToQString(EscapeForDisplay(
      CellText(m_records[static_cast<std::size_t>(row.record)], index.column(), m_pictures)));
}

QVariant MeasurementListModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kListColumnCount) return {};
  if (role == Qt::DisplayRole) return m_titles[static_cast<std::size_t>(section)];
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags MeasurementListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Not user-checkable: the list itself decides what a press on a box does.
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void MeasurementListModel::Fill() {
  beginResetModel();
  // The pictures once per fill, not once per cell.
  m_pictures = UserLocalePictures();
  m_rows.clear();
  m_rows.reserve(m_records.size());
  for (std::size_t j = 0; j < m_records.size(); ++j) {
    m_rows.push_back({static_cast<std::int32_t>(j), false});
  }
  endResetModel();
}

void MeasurementListModel::StableSort(
    const std::function<bool(std::int32_t, std::int32_t)>& before) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<std::size_t> order(m_rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return before(m_rows[a].record, m_rows[b].record);
  });
  std::vector<Row> sorted;
  sorted.reserve(m_rows.size());
  std::vector<int> new_row_of(m_rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(m_rows[order[i]]);
    new_row_of[order[i]] = static_cast<int>(i);
  }
  m_rows = std::move(sorted);
  // The selection and the current row go with their rows.
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& index : from) {
    to.append(index.row() < static_cast<int>(new_row_of.size())
                  ? this->index(new_row_of[static_cast<std::size_t>(index.row())], index.column())
                  : QModelIndex());
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::int32_t MeasurementListModel::RecordOfRow(int row) const {
  if (row < 0 || row >= rowCount()) return -1;
  return m_rows[static_cast<std::size_t>(row)].record;
}

bool MeasurementListModel::IsChecked(int row) const {
  return row >= 0 && row < rowCount() && m_rows[static_cast<std::size_t>(row)].checked;
}

void MeasurementListModel::SetChecked(int row, bool checked) {
  if (row < 0 || row >= rowCount()) return;
  Row& entry = m_rows[static_cast<std::size_t>(row)];
  if (entry.checked == checked) return;
  entry.checked = checked;
  const QModelIndex cell = index(row, 0);
  emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

// ---------------------------------------------------------------------------
// SortArrowHeader

SortArrowHeader::SortArrowHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent),
      m_down(QStringLiteral(":/rqx340/bitmap%1.png").arg(kIdbSortDown)),
      m_up(QStringLiteral(":/rqx340/bitmap%1.png").arg(kIdbSortUp)) {}

int SortArrowHeader::ArrowOf(int section) const {
  if (section < 0 || section >= kListColumnCount) return 0;
  return m_arrows[static_cast<std::size_t>(section)];
}

void SortArrowHeader::SetArrow(int section, int bitmap) {
  if (section < 0 || section >= kListColumnCount) return;
  m_arrows[static_cast<std::size_t>(section)] = bitmap;
  viewport()->update();
}

void SortArrowHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  QHeaderView::paintSection(painter, rect, logicalIndex);
  const int bitmap = ArrowOf(logicalIndex);
  if (bitmap == 0 || model() == nullptr) return;
  const QPixmap& arrow = bitmap == kIdbSortUp ? m_up : m_down;
  // To the right of the title, as far as the section reaches.
  const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
  const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
  const int x = rect.left() + margin + fontMetrics().horizontalAdvance(title) + margin;
  const int y = rect.top() + (rect.height() - arrow.height()) / 2;
  painter->save();
  painter->setClipRect(rect.adjusted(0, 0, -1, 0));
  painter->drawPixmap(x, y, arrow);
  painter->restore();
}

// ---------------------------------------------------------------------------
// CRQX340FileListCtrl

CRQX340FileListCtrl::CRQX340FileListCtrl(CRQX340App& app, QWidget* parent)
    : QTreeView(parent), m_app(app), m_model(m_arrRecords, nullptr), m_header(nullptr) {
  setHeader(&m_header);
  setModel(&m_model);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setTextElideMode(Qt::ElideRight);
  m_header.setSectionsClickable(true);
  m_header.setSectionsMovable(false);
  m_header.setStretchLastSection(false);
  m_header.setSortIndicatorShown(false);
  m_header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_header.setSectionResizeMode(QHeaderView::Interactive);
  connect(&m_header, &QHeaderView::sectionClicked, this,
          [this](int column) { OnColumnClick(column); });
}

void CRQX340FileListCtrl::InitColumns() {
  std::array<QString, kListColumnCount> titles;
  for (int column = 0; column < kListColumnCount; ++column) {
    titles[static_cast<std::size_t>(column)] =
        QString::fromStdString(m_app.Strings().Load(kIdsFirstColumnTitle + column));
  }
  m_model.SetTitles(std::move(titles));
  emit m_model.headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1);
  ApplyColumnWidths();
  m_nSortColumn = m_app.CachedGetProfileInt(m_strSection, "SortColumn", m_nSortColumn);
  m_nSortOrder = m_app.CachedGetProfileInt(m_strSection, "SortOrder", m_nSortOrder);
  // Lower values are taken as they are: a negative column sorts by name, arrowless.
  if (m_nSortColumn > kRawColumn) m_nSortColumn = kRawColumn;
  SetSortArrow(m_nSortColumn, m_nSortColumn);
}

void CRQX340FileListCtrl::ScanFolder(const std::string& folder, ProgressSink& progress) {
  if (folder.empty()) {
    // An empty text names no folder, least of all the current directory.
    m_arrRecords.clear();
  } else {
    m_arrRecords = rqx340::ScanFolder(folder, progress);
    // The listing's order means nothing here: byte order of the names, so that
    // equal keys keep one order everywhere.
    std::sort(m_arrRecords.begin(), m_arrRecords.end(),
              [](const CRQX340Json& a, const CRQX340Json& b) { return a.m_strName < b.m_strName; });
  }
  FillList();
}

void CRQX340FileListCtrl::SetRecords(std::vector<CRQX340Json> records) {
  m_arrRecords = std::move(records);
  FillList();
}

void CRQX340FileListCtrl::FillList() {
  m_model.Fill();
  SortRows();
  if (m_model.rowCount() > 0) {
    selectionModel()->setCurrentIndex(m_model.index(0, 0), QItemSelectionModel::NoUpdate);
  }
  scrollToTop();
  viewport()->update();
}

std::vector<std::int32_t> CRQX340FileListCtrl::GetCheckedIndices() const {
  std::vector<std::int32_t> indices;
  for (int row = 0; row < m_model.rowCount(); ++row) {
    if (m_model.IsChecked(row)) indices.push_back(m_model.RecordOfRow(row));
  }
  return indices;
}

int CRQX340FileListCtrl::CompareRecords(std::int32_t index1, std::int32_t index2) const {
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
      c = CompareIgnoringAsciiCase(a.m_strName, b.m_strName);
      break;
  }
  return m_nSortOrder != 0 ? c : -c;
}

void CRQX340FileListCtrl::SortRows() {
  m_model.StableSort([this](std::int32_t a, std::int32_t b) { return CompareRecords(a, b) < 0; });
}

void CRQX340FileListCtrl::OnColumnClick(int column) {
  if (column == m_nSortColumn) {
    m_nSortOrder = m_nSortOrder == 0 ? 1 : 0;
  } else {
    m_nSortOrder = 1;
  }
  SetSortArrow(m_nSortColumn, column);
  m_nSortColumn = column;
  SortRows();
  m_app.CachedWriteProfileInt(m_strSection, "SortColumn", m_nSortColumn);
  m_app.CachedWriteProfileInt(m_strSection, "SortOrder", m_nSortOrder);
}

void CRQX340FileListCtrl::SetSortArrow(int oldColumn, int newColumn) {
  // A column outside the header (a negative one) gets no arrow.
  if (newColumn >= 0 && newColumn < kListColumnCount) {
    m_header.SetArrow(newColumn, m_nSortOrder != 0 ? kIdbSortUp : kIdbSortDown);
  }
  if (oldColumn != newColumn && oldColumn >= 0 && oldColumn < kListColumnCount) {
    m_header.SetArrow(oldColumn, 0);
  }
}

void CRQX340FileListCtrl::OnItemChanged(int row, bool checked) {
  if (m_bInCheckChange) return;
  if (row < 0 || row >= m_model.rowCount() || m_model.IsChecked(row) == checked) return;
  m_bInCheckChange = true;
  if (selectionModel()->isRowSelected(row, QModelIndex())) {
    for (const QModelIndex& selected : selectionModel()->selectedRows()) {
      m_model.SetChecked(selected.row(), checked);
    }
  }
  m_model.SetChecked(row, checked);
  if (m_onCheckChanged) m_onCheckChanged();
  m_bInCheckChange = false;
}

int CRQX340FileListCtrl::UsableWidth() const {
  return contentsRect().width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void CRQX340FileListCtrl::ApplyColumnWidths() {
  const int usable = std::max(UsableWidth(), 0);
  for (int column = 0; column < kListColumnCount; ++column) {
    m_header.resizeSection(column, usable * kColumnShares[static_cast<std::size_t>(column)] / 100);
  }
}

void CRQX340FileListCtrl::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  // Widths the user dragged give way at every resize.
  ApplyColumnWidths();
}

QRect CRQX340FileListCtrl::CheckBoxRect(int row) const {
  const QModelIndex index = m_model.index(row, 0);
  if (!index.isValid()) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  option.index = index;
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.checkState = m_model.IsChecked(row) ? Qt::Checked : Qt::Unchecked;
  option.text = index.data().toString();
  return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

int CRQX340FileListCtrl::CheckBoxRowAt(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid() || index.column() != 0) return -1;
  return CheckBoxRect(index.row()).contains(pos) ? index.row() : -1;
}

void CRQX340FileListCtrl::mousePressEvent(QMouseEvent* event) {
  // Any press takes the focus, one on the empty area too.
  setFocus(Qt::MouseFocusReason);
  const int row =
      event->button() == Qt::LeftButton ? CheckBoxRowAt(event->position().toPoint()) : -1;
  if (row < 0) {
    QTreeView::mousePressEvent(event);
    return;
  }
  // The box toggles; the selection and the current row stay as they are.
  m_bCheckBoxPress = true;
  OnItemChanged(row, !m_model.IsChecked(row));
  event->accept();
}

void CRQX340FileListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double-click on a box is a second click on it.
  const int row =
      event->button() == Qt::LeftButton ? CheckBoxRowAt(event->position().toPoint()) : -1;
  if (row < 0) {
    QTreeView::mouseDoubleClickEvent(event);
    return;
  }
  m_bCheckBoxPress = true;
  OnItemChanged(row, !m_model.IsChecked(row));
  event->accept();
}

void CRQX340FileListCtrl::mouseMoveEvent(QMouseEvent* event) {
  if (m_bCheckBoxPress) {
    event->accept();
    return;
  }
  QTreeView::mouseMoveEvent(event);
}

void CRQX340FileListCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (m_bCheckBoxPress) {
    m_bCheckBoxPress = false;
    event->accept();
    return;
  }
  QTreeView::mouseReleaseEvent(event);
}

void CRQX340FileListCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    const int row = currentIndex().row();
    if (row >= 0) OnItemChanged(row, !m_model.IsChecked(row));
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

}  // namespace rqx340
