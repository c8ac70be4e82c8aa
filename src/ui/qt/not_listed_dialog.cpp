// Every text here is shown as plain text: names are the folder's, not markup.
#include "ui/qt/not_listed_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt/qt_text.h"

namespace rqx340 {

NoteLink::NoteLink(QWidget* parent) : QPushButton(parent) {
  setFlat(true);
  setAutoDefault(false);
  setDefault(false);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  // Left-aligned text without a frame, in the link colour of the palette.
  setStyleSheet(QStringLiteral(
      "QPushButton { border: none; padding: 0px; text-align: left; color: palette(link); }"));
}

NotListedModel::NotListedModel(NotListedTable table, QObject* parent)
    : QAbstractTableModel(parent), m_table(std::move(table)) {}

int NotListedModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_table.RowCount();
}

int NotListedModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kNotListedColumnCount;
}

QVariant NotListedModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const QString text = ToQString(m_table.CellText(index.row(), index.column()));
  // A tooltip shows rich text when it looks like it: escaped, it never does.
  return role == Qt::ToolTipRole ? QVariant(text.toHtmlEscaped()) : QVariant(text);
}

QVariant NotListedModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return ToQString(m_table.ColumnTitle(section));
}

Qt::ItemFlags NotListedModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void NotListedModel::OnColumnClick(int column) {
  beginResetModel();
  m_table.OnColumnClick(column);
  endResetModel();
}

NotListedDialog::NotListedDialog(NotListedTable table, const StringTable& strings,
                                 QWidget* parent)
    : QDialog(parent), m_model(std::move(table), this), m_view(this), m_copy(this), m_close(this) {
  setWindowTitle(ToQString(m_model.Table().Caption()));
  setWindowModality(Qt::WindowModal);
  setSizeGripEnabled(true);

  m_view.setModel(&m_model);
  m_view.setRootIsDecorated(false);
  m_view.setItemsExpandable(false);
  m_view.setUniformRowHeights(true);
  m_view.setAllColumnsShowFocus(true);
  m_view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_view.setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view.setTextElideMode(Qt::ElideMiddle);
  m_view.installEventFilter(this);
  QHeaderView* header = m_view.header();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setStretchLastSection(true);
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    m_model.OnColumnClick(column);
    ShowSortIndicator();
  });
  ShowSortIndicator();

  m_copy.setText(ToQString(strings.Load(kIdsCopy)));
  m_close.setText(ToQString(strings.Load(kIdcClose)));
  for (QPushButton* button : {&m_copy, &m_close}) button->setAutoDefault(false);
  connect(&m_copy, &QPushButton::clicked, this, [this] { CopySelection(); });
  connect(&m_close, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(&m_copy);
  buttons->addStretch(1);
  buttons->addWidget(&m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(&m_view, 1);
  layout->addLayout(buttons);

  // Wide enough for a name and a reason side by side.
  const QFontMetrics metrics(font());
  resize(metrics.averageCharWidth() * 90, metrics.height() * 18);
  header->resizeSection(0, metrics.averageCharWidth() * 36);
}

void NotListedDialog::ShowSortIndicator() {
  const NotListedTable& table = m_model.Table();
  m_view.header()->setSortIndicator(
      table.SortColumn(), table.Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void NotListedDialog::CopySelection() {
  std::vector<int> rows;
  for (const QModelIndex& index : m_view.selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  QApplication::clipboard()->setText(ToQString(m_model.Table().CopyText(rows)));
}

bool NotListedDialog::eventFilter(QObject* watched, QEvent* event) {
  // The view would copy its current cell alone.
  if (watched == &m_view && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    CopySelection();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void NotListedDialog::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    CopySelection();
    event->accept();
    return;
  }
  // Enter closes nothing here either.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace rqx340
