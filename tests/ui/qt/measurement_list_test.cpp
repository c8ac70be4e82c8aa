#include "ui/qt/measurement_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <memory>

#include "measurement/date_time.h"
#include "scripted_dialog_runner.h"
#include "support/app_context.h"
#include "support/measurement_records.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::MemoryProfile;
using test::ProcessEvents;

using test::Record;

void Click(QWidget& target, QPoint pos, QEvent::Type type = QEvent::MouseButtonPress,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPoint global = target.mapToGlobal(pos);
  QMouseEvent press(type, QPointF(pos), QPointF(global), Qt::LeftButton, Qt::LeftButton, modifiers);
  QApplication::sendEvent(&target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), QPointF(global), Qt::LeftButton,
                      Qt::NoButton, modifiers);
  QApplication::sendEvent(&target, &release);
}

void Key(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(&target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(&target, &release);
}

class MeasurementListTest : public ::testing::Test {
 protected:
  MeasurementListTest()
      : app(test::TestAppContext({{"XDG_CONFIG_HOME", "/nonexistent/config"}}, "/nonexistent/",
                                 profile)) {
    app.LocateSettings();
  }

  CRQX340FileListCtrl& Make(std::vector<CRQX340Json> records = {}) {
    list.reset();
    model = std::make_unique<MeasurementListModel>(&app.Settings());
    list = std::make_unique<CRQX340FileListCtrl>(*model, app.Strings(), nullptr);
    list->resize(700, 300);
    list->InitColumns();
    list->show();
    list->SetCheckChangedHandler([this] { ++heard; });
    model->SetRecords(std::move(records));
    ProcessEvents();
    return *list;
  }

  // The names in display order, as the view shows its rows.
  static std::vector<std::string> NamesOf(const CRQX340FileListCtrl& view,
                                          const MeasurementListModel& rows) {
    std::vector<std::string> names;
    for (int row = 0; row < view.Model().rowCount(); ++row) {
      names.push_back(rows.Records()[rows.RecordOfRow(row)].m_strName);
    }
    return names;
  }
  std::vector<std::string> Names() const { return NamesOf(*list, *model); }
  // A fresh start over the profile as it is now: the names of `records` in
  // display order, and the arrows of the header.
  std::vector<std::string> FreshNames(std::vector<CRQX340Json> records,
                                      std::vector<int>* arrows = nullptr) {
    CRQX340App fresh(test::TestAppContext({{"XDG_CONFIG_HOME", "/nonexistent/config"}},
                                          "/nonexistent/", profile));
    fresh.LocateSettings();
    MeasurementListModel rows(&fresh.Settings());
    CRQX340FileListCtrl view(rows, fresh.Strings(), nullptr);
    view.InitColumns();
    rows.SetRecords(std::move(records));
    if (arrows != nullptr) {
      for (int column = 0; column < kListColumnCount; ++column) {
        arrows->push_back(view.Header().ArrowOf(column));
      }
    }
    return NamesOf(view, rows);
  }
  std::vector<bool> Checks() const {
    std::vector<bool> checks;
    for (int row = 0; row < list->Model().rowCount(); ++row) {
      checks.push_back(model->IsChecked(row));
    }
    return checks;
  }
  std::vector<int> Arrows() const {
    std::vector<int> arrows;
    for (int c = 0; c < kListColumnCount; ++c) arrows.push_back(list->Header().ArrowOf(c));
    return arrows;
  }
  QString Cell(int row, int column) const {
    return list->Model().index(row, column).data().toString();
  }
  void SelectRows(std::initializer_list<int> rows) {
    list->selectionModel()->clearSelection();
    for (const int row : rows) {
      list->selectionModel()->select(list->Model().index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  void ClickBox(int row) { Click(*list->viewport(), list->CheckBoxRect(row).center()); }

  MemoryProfile profile;
  CRQX340App app;
  std::unique_ptr<MeasurementListModel> model;
  std::unique_ptr<CRQX340FileListCtrl> list;
  int heard = 0;
};

TEST_F(MeasurementListTest, FirstStartSortsByNameDescendingWithTheDownArrowOnName) {
  Make({Record("b.rqx2"), Record("A.rqx2"), Record("c.rqx2")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.rqx2", "b.rqx2", "A.rqx2"}));
  EXPECT_EQ(Arrows(), (std::vector<int>{146, 0, 0, 0, 0, 0}));
  EXPECT_EQ(model->SortColumn(), 0);
  EXPECT_EQ(model->SortOrder(), 0);
  // The first row is current, and nothing is selected.
  EXPECT_EQ(list->currentIndex().row(), 0);
  EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty());
  EXPECT_EQ(list->Model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Name");
  EXPECT_EQ(list->Model().headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "Raw");
}

TEST_F(MeasurementListTest, HeaderClicksSortTurnTheOrderAndMoveTheArrow) {
  Make({Record("a", 5, "x", 70000), Record("b", 6, "y", 5000000000), Record("c", 4, "z", 900)});
  struct Step {
    int column;
    std::vector<std::string> names;
    std::vector<int> arrows;
    int order;
  };
  const Step steps[] = {
      // Sizes by value, not by text.
      {3, {"c", "a", "b"}, {0, 0, 0, 147, 0, 0}, 1},
      {3, {"b", "a", "c"}, {0, 0, 0, 146, 0, 0}, 0},
      {1, {"c", "a", "b"}, {0, 147, 0, 0, 0, 0}, 1},
      // Raw sorts by name.
      {5, {"a", "b", "c"}, {0, 0, 0, 0, 0, 147}, 1},
      {5, {"c", "b", "a"}, {0, 0, 0, 0, 0, 146}, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.column);
    emit list->Header().sectionClicked(step.column);
    EXPECT_EQ(Names(), step.names);
    EXPECT_EQ(Arrows(), step.arrows);
    EXPECT_EQ(app.CachedGetProfileInt("MeasList", "SortColumn", -9), step.column);
    EXPECT_EQ(app.CachedGetProfileInt("MeasList", "SortOrder", -9), step.order);
  }
}

TEST_F(MeasurementListTest, KeysCompareAsTheirTypes) {
  for (const test::SortKeyCase& c : test::SortKeyCases()) {
    SCOPED_TRACE(c.name);
    profile.values[{"MeasList", "SortColumn"}] = std::to_string(c.column);
    profile.values[{"MeasList", "SortOrder"}] = "1";
    EXPECT_EQ(FreshNames(c.records), c.ascending);
  }
}

TEST_F(MeasurementListTest, EqualKeysKeepTheirDisplayOrder) {
  Make({Record("a", 0, "", 0, "HA"), Record("b", 0, "", 0, "WB"), Record("c", 0, "", 0, "HA"),
        Record("d", 0, "", 0, "WB")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"d", "c", "b", "a"}));
  emit list->Header().sectionClicked(4);  // ascending: HA first, each in the order shown
  EXPECT_EQ(Names(), (std::vector<std::string>{"c", "a", "d", "b"}));
  emit list->Header().sectionClicked(4);  // descending: WB first
  EXPECT_EQ(Names(), (std::vector<std::string>{"d", "b", "c", "a"}));
  // Names that differ only in case are equal: the record order decides a fill.
  model->SetRecords({Record("x"), Record("X"), Record("y")});
  emit list->Header().sectionClicked(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"x", "X", "y"}));
}

TEST_F(MeasurementListTest, TheStoredSortStateIsReadOnce) {
  struct Case {
    std::string column, order;
    std::vector<std::string> names;
    std::vector<int> arrows;
  };
  const Case cases[] = {
      {"9", "1", {"a", "b"}, {0, 0, 0, 0, 0, 147}},  // above 5: the Raw column
      {"-1", "0", {"b", "a"}, {0, 0, 0, 0, 0, 0}},   // negative: by name, no arrow
      {"3", "7", {"b", "a"}, {0, 0, 0, 147, 0, 0}},  // any non-zero order ascends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    profile.values[{"MeasList", "SortColumn"}] = c.column;
    profile.values[{"MeasList", "SortOrder"}] = c.order;
    std::vector<int> arrows;
    const std::vector<std::string> names =
        FreshNames({Record("a", 0, "", 9), Record("b", 0, "", 3)}, &arrows);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(arrows, c.arrows);
  }
}

TEST_F(MeasurementListTest, CellTexts) {
  Make({Record("m.rqx2", 0, "AB1", 5000000000ULL, "WB", 0), Record("n.rqx2", 0, "", 1, "HA", 1),
        Record("o.rqx2", 0, "", 1, "Vib", 2), Record("p.rqx2", 0, "", 1, "Vib", 3)});
  // Descending by name: p, o, n, m.
  EXPECT_EQ(Cell(3, 0), "m.rqx2");
  EXPECT_EQ(Cell(3, 1), "N/A");
  EXPECT_EQ(Cell(3, 2), "AB1");
  EXPECT_EQ(Cell(3, 3), "5000000000");
  EXPECT_EQ(Cell(3, 4), "WB");
  EXPECT_EQ(Cell(3, 5), "NO");
  EXPECT_EQ(Cell(2, 5), "YES");
  EXPECT_EQ(Cell(1, 5), "YES*");
  EXPECT_EQ(Cell(0, 5), "YES");
  CRQX340Json dated = Record("t", 86400 * 365);
  const LocalePictures pictures{"yyyy-MM-dd", "HH:mm:ss", EnglishDateTimeNames()};
  EXPECT_EQ(CellText(dated, 1, pictures), FormatDateTime(dated.m_tStart, pictures));
  EXPECT_EQ(CellText(dated, 1, pictures).empty(), false);
}

// A line feed or a direction mark in a name or serial number is shown escaped:
// it could otherwise cut the cell or make it read backwards.
TEST_F(MeasurementListTest, ControlsAndDirectionMarksInCellsAreShownEscaped) {
  Make({Record("a\nb.rqx2", 0,
               "\xE2\x80\xAE"
               "evil",
               1, "WB", 0)});
  EXPECT_EQ(Cell(0, 0), "a\\x0Ab.rqx2");
  EXPECT_EQ(Cell(0, 2), "\\u202Eevil");
}

TEST_F(MeasurementListTest, ABoxPressChecksTheSelectionOnceAndKeepsSelectionAndCurrent) {
  Make({Record("a"), Record("b"), Record("c"), Record("d"), Record("e")});
  SelectRows({1, 2, 3});
  list->selectionModel()->setCurrentIndex(list->Model().index(2, 0), QItemSelectionModel::NoUpdate);
  ClickBox(1);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, true, true, false}));
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 3);
  EXPECT_EQ(list->currentIndex().row(), 2);
  EXPECT_EQ(model->GetCheckedIndices(), (std::vector<std::int32_t>{3, 2, 1}));

  // A row outside the selection changes alone.
  ClickBox(4);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, true, true, true}));
  EXPECT_EQ(heard, 2);
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 3);

  // Space acts on the current row, and through it on the selection.
  list->setFocus();
  Key(*list, Qt::Key_Space);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false, true}));
  EXPECT_EQ(heard, 3);
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 3);

  // A double-click on a box is two clicks.
  const QPoint box = list->CheckBoxRect(0).center();
  Click(*list->viewport(), box);
  Click(*list->viewport(), box, QEvent::MouseButtonDblClick);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false, true}));
  EXPECT_EQ(heard, 5);

  // Sorting keeps the marks with their rows; a fill clears them.
  emit list->Header().sectionClicked(0);
  EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false, false, false}));
  EXPECT_EQ(model->GetCheckedIndices(), (std::vector<std::int32_t>{0}));
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 3);
  model->FillList();
  EXPECT_EQ(Checks(), std::vector<bool>(5, false));
}

TEST_F(MeasurementListTest, CtrlASelectsAllAndAClickOnEmptySpaceKeepsTheCurrentRow) {
  // The list beside a field that has the focus, in an active window.
  MeasurementListModel rows(&app.Settings());
  QWidget window;
  QLineEdit field(&window);
  CRQX340FileListCtrl view(rows, app.Strings(), &window);
  view.setGeometry(0, 30, 600, 200);
  window.resize(600, 240);
  view.InitColumns();
  rows.SetRecords({Record("a"), Record("b"), Record("c")});
  window.show();
  QApplication::setActiveWindow(&window);
  view.setFocus();
  ProcessEvents();
  Key(view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view.selectionModel()->selectedRows().size(), 3);

  field.setFocus();
  ProcessEvents();
  ASSERT_TRUE(field.hasFocus());
  view.selectionModel()->setCurrentIndex(view.Model().index(1, 0), QItemSelectionModel::NoUpdate);
  Click(*view.viewport(), QPoint(10, view.viewport()->height() - 5));
  ProcessEvents();
  EXPECT_TRUE(view.hasFocus());
  EXPECT_EQ(view.currentIndex().row(), 1);
}

TEST_F(MeasurementListTest, ColumnsTakeTheirSharesOfTheUsableWidthAtEveryResize) {
  Make({Record("a")});
  const auto widths = [&] {
    std::vector<int> w;
    for (int c = 0; c < kListColumnCount; ++c) w.push_back(list->Header().sectionSize(c));
    return w;
  };
  const std::vector<int> before = widths();
  const int usable = list->contentsRect().width() -
                     list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list.get());
  for (int c = 0; c < kListColumnCount; ++c) {
    EXPECT_EQ(before[c], usable * kColumnShares[c] / 100) << c;
  }
  list->Header().resizeSection(0, 20);  // dragged by the user
  list->resize(list->width() + 200, list->height());
  ProcessEvents();
  const std::vector<int> after = widths();
  EXPECT_EQ(after[0] - before[0], 88);
  EXPECT_EQ(after[1] - before[1], 40);
  EXPECT_EQ(after[2] - before[2], 20);
}

TEST_F(MeasurementListTest, TheScanListsInByteOrderAndAnEmptyFolderTextListsNothing) {
  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(test::WriteOneMeasurementEach(dir.Path().string(), {"b", "B", "a"}, &error)) << error;
  Make();
  test::CallLog calls;
  test::RecordingProgressSink progress(calls);
  model->ScanFolder(dir.Path().string(), progress);
  ASSERT_EQ(model->Records().size(), 3u);
  EXPECT_EQ(model->Records()[0].m_strName, "B0001.rqx2");
  EXPECT_EQ(model->Records()[1].m_strName, "a0001.rqx2");
  EXPECT_EQ(model->Records()[2].m_strName, "b0001.rqx2");
  // Descending by name; B and b are equal and keep the record order.
  EXPECT_EQ(Names(), (std::vector<std::string>{"B0001.rqx2", "b0001.rqx2", "a0001.rqx2"}));
  EXPECT_EQ(calls.Count("show"), 1u);

  model->ScanFolder("", progress);
  EXPECT_TRUE(model->Records().empty());
  EXPECT_EQ(list->Model().rowCount(), 0);
  EXPECT_EQ(calls.Count("show"), 1u);
}

}  // namespace
}  // namespace rqx340
