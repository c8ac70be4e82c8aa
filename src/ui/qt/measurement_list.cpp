// The measurement list on a tree view in list form.
#include "ui/qt/measurement_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

#include "ui/qt/qt_text.h"

namespace rqx340 {

// ---------------------------------------------------------------------------
// MeasurementTableModel

MeasurementTableModel::MeasurementTableModel(MeasurementListModel& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {
  m_list.SetObserver(this);
}

MeasurementTableModel::~MeasurementTableModel() { m_list.SetObserver(nullptr); }

int MeasurementTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_list.RowCount();
}

int MeasurementTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumnCount;
}

QVariant MeasurementTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::CheckStateRole && index.column() == 0) {
    return m_list.IsChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
  }
  if (role != Qt::DisplayRole) return {};
  return ToQString(m_list.CellText(index.row(), index.column()));
}

QVariant MeasurementTableModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kListColumnCount) return {};
  if (role == Qt::DisplayRole) return m_titles[static_cast<std::size_t>(section)];
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags MeasurementTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Not user-checkable: the list itself decides what a press on a box does.
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void MeasurementTableModel::SetTitles(std::array<QString, kListColumnCount> titles) {
  m_titles = std::move(titles);
  emit headerDataChanged(Qt::Horizontal, 0, kListColumnCount - 1);
}

void MeasurementTableModel::RowsAboutToBeSorted() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MeasurementTableModel::RowsSorted(std::span<const int> new_row_of) {
  // The selection and the current row go with their rows.
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& index : from) {
    const auto row = static_cast<std::size_t>(index.row());
    to.append(row < new_row_of.size() ? this->index(new_row_of[row], index.column())
                                      : QModelIndex());
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MeasurementTableModel::ChecksChanged(std::span<const int> rows) {
  for (const int row : rows) {
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
  }
}

void MeasurementTableModel::SortArrowChanged(int old_column, int new_column) {
  // The header repaints the sections whose arrow came or went.
  for (const int column : {old_column, new_column}) {
    if (column >= 0 && column < kListColumnCount) {
      emit headerDataChanged(Qt::Horizontal, column, column);
    }
  }
}

// ---------------------------------------------------------------------------
// SortArrowHeader

SortArrowHeader::SortArrowHeader(const MeasurementListModel& list, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent),
      m_list(list),
      m_down(QStringLiteral(":/rqx340/bitmap%1.png").arg(kIdbSortDown)),
      m_up(QStringLiteral(":/rqx340/bitmap%1.png").arg(kIdbSortUp)) {}

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

CRQX340FileListCtrl::CRQX340FileListCtrl(MeasurementListModel& list, const StringTable& strings,
                                         QWidget* parent)
    : QTreeView(parent),
      m_list(list),
      m_strings(strings),
      m_model(list, nullptr),
      m_header(list, nullptr) {
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
  connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { OnRowsReset(); });
}

void CRQX340FileListCtrl::InitColumns() {
  std::array<QString, kListColumnCount> titles;
  for (int column = 0; column < kListColumnCount; ++column) {
    titles[static_cast<std::size_t>(column)] =
        ToQString(m_strings.Load(kIdsFirstColumnTitle + column));
  }
  m_model.SetTitles(std::move(titles));
  ApplyColumnWidths();
}

void CRQX340FileListCtrl::OnRowsReset() {
  if (m_model.rowCount() > 0) {
    selectionModel()->setCurrentIndex(m_model.index(0, 0), QItemSelectionModel::NoUpdate);
  }
  scrollToTop();
  viewport()->update();
}

void CRQX340FileListCtrl::OnItemChanged(int row, bool checked) {
  std::vector<int> selected;
  for (const QModelIndex& index : selectionModel()->selectedRows()) selected.push_back(index.row());
  if (m_list.OnItemChanged(row, checked, selected) && m_onCheckChanged) m_onCheckChanged();
}

int CRQX340FileListCtrl::UsableWidth() const {
  return contentsRect().width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void CRQX340FileListCtrl::ApplyColumnWidths() {
  const auto widths = ColumnWidths(UsableWidth());
  for (int column = 0; column < kListColumnCount; ++column) {
    m_header.resizeSection(column, widths[static_cast<std::size_t>(column)]);
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
  option.checkState = m_list.IsChecked(row) ? Qt::Checked : Qt::Unchecked;
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
  OnItemChanged(row, !m_list.IsChecked(row));
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
  OnItemChanged(row, !m_list.IsChecked(row));
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
    if (row >= 0) OnItemChanged(row, !m_list.IsChecked(row));
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

}  // namespace rqx340
