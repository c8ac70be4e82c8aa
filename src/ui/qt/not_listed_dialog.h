// The files a scan left out, on Qt: the note in the main dialog's corner, a
// flat button that reads like a link, and the small window it opens, a list
// of name and reason over the application layer's NotListedTable, sorted by a
// click on a column's title and copied with Ctrl+C or its Copy button.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QPushButton>
#include <QTreeView>
#include <vector>

#include "app/not_listed_files.h"
#include "base/string_table.h"

namespace rqx340 {

// The corner note: plain text, underlined in the link colour, a click or Space
// opens what it names. Enter stays the dialog's, which ignores it.
class NoteLink final : public QPushButton {
 public:
  explicit NoteLink(QWidget* parent);
};

// The rows of a NotListedTable as Qt's item views take them.
class NotListedModel final : public QAbstractTableModel {
 public:
  NotListedModel(NotListedTable table, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  const NotListedTable& Table() const { return m_table; }
  // A click on the title of `column`.
  void OnColumnClick(int column);

 private:
  NotListedTable m_table;
};

class NotListedDialog final : public QDialog {
 public:
  // Lists `table` in a window over `parent`, window-modal; `strings` give the
  // buttons' texts.
  NotListedDialog(NotListedTable table, const StringTable& strings, QWidget* parent);

  QTreeView& View() { return m_view; }
  NotListedModel& Model() { return m_model; }
  QPushButton& CopyButton() { return m_copy; }
  // Puts the selected rows (every row when none is selected) on the clipboard.
  void CopySelection();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowSortIndicator();

  NotListedModel m_model;
  QTreeView m_view;
  QPushButton m_copy;
  QPushButton m_close;
};

}  // namespace rqx340
