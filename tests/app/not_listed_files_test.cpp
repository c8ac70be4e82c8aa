// The window of the files a scan left out, without the window: its rows, their
// order by either column, the text it copies, and where the dialog's note goes.
#include "app/not_listed_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace rqx340 {
namespace {

std::vector<LeftOutFile> Files() {
  return {
      {"b.rqx2", LeftOutReason::kEmpty, "", 0},
      {"A.rqx2", LeftOutReason::kNotRegularFile, "", 0},
      {"c\t\u202Ex.rqx2", LeftOutReason::kNotJson, "", 17},
      {"a.rqx2", LeftOutReason::kKeyMissing, "SerialNumber", 0},
  };
}

std::vector<std::string> Names(const NotListedTable& table) {
  std::vector<std::string> names;
  for (int row = 0; row < table.RowCount(); ++row) names.push_back(table.CellText(row, 0));
  return names;
}

TEST(NotListedTableTest, RowsAreEscapedAndSortedByNameWithoutLetterCase) {
  const std::vector<LeftOutFile> files = Files();
  const NotListedTable table(files, EnglishStrings());
  EXPECT_EQ(table.Caption(), "Files not listed");
  EXPECT_EQ(table.ColumnTitle(0), "Name");
  EXPECT_EQ(table.ColumnTitle(1), "Reason");
  EXPECT_EQ(table.ColumnTitle(2), "");
  // "A" and "a" differ in case only: byte order decides, "A" first.
  EXPECT_EQ(Names(table),
            (std::vector<std::string>{"A.rqx2", "a.rqx2", "b.rqx2", "c\\x09\\u202Ex.rqx2"}));
  EXPECT_EQ(table.Row(3), (NotListedRow{"c\\x09\\u202Ex.rqx2", "not valid JSON at byte 17"}));
  EXPECT_EQ(table.CellText(1, 1), "measurement key missing or empty: SerialNumber");
  EXPECT_EQ(table.CellText(0, 1), "not a regular file");
  // Outside the rows and columns: nothing.
  EXPECT_EQ(table.CellText(4, 0), "");
  EXPECT_EQ(table.CellText(0, 2), "");
  EXPECT_EQ(table.Row(-1), NotListedRow{});
  EXPECT_EQ(table.SortColumn(), 0);
  EXPECT_TRUE(table.Ascending());
}

TEST(NotListedTableTest, AClickOnATitleSortsByItsColumnAndAgainTurnsTheOrder) {
  const std::vector<LeftOutFile> files = Files();
  NotListedTable table(files, EnglishStrings());
  struct Step {
    int column;
    bool ascending;
    std::vector<std::string> names;
  };
  const Step steps[] = {
      {0, false, {"c\\x09\\u202Ex.rqx2", "b.rqx2", "a.rqx2", "A.rqx2"}},
      // By reason: measurement key..., not a regular file, not valid JSON, the file is empty.
      {1, true, {"a.rqx2", "A.rqx2", "c\\x09\\u202Ex.rqx2", "b.rqx2"}},
      {1, false, {"b.rqx2", "c\\x09\\u202Ex.rqx2", "A.rqx2", "a.rqx2"}},
      {0, true, {"A.rqx2", "a.rqx2", "b.rqx2", "c\\x09\\u202Ex.rqx2"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.column);
    table.OnColumnClick(step.column);
    EXPECT_EQ(table.SortColumn(), step.column);
    EXPECT_EQ(table.Ascending(), step.ascending);
    EXPECT_EQ(Names(table), step.names);
  }
  // A column that is not there changes nothing.
  table.OnColumnClick(5);
  EXPECT_EQ(table.SortColumn(), 0);
}

TEST(NotListedTableTest, CopiedRowsAreOneLineEachInDisplayOrderWithoutTabsInTheTexts) {
  const std::vector<LeftOutFile> files = Files();
  const NotListedTable table(files, EnglishStrings());
  const std::string all = table.CopyText({});
  EXPECT_EQ(all,
            "A.rqx2\tnot a regular file\n"
            "a.rqx2\tmeasurement key missing or empty: SerialNumber\n"
            "b.rqx2\tthe file is empty\n"
            "c\\x09\\u202Ex.rqx2\tnot valid JSON at byte 17\n");
  // The rows given, each once, top first, whatever their order; others left out.
  const std::vector<int> rows = {3, 0, 3, 9, -1};
  EXPECT_EQ(table.CopyText(rows, "\r\n"),
            "A.rqx2\tnot a regular file\r\nc\\x09\\u202Ex.rqx2\tnot valid JSON at byte 17\r\n");
  const NotListedTable empty({}, EnglishStrings());
  EXPECT_EQ(empty.RowCount(), 0);
  EXPECT_EQ(empty.CopyText({}), "");
}

TEST(NotListedNotePlaceTest, TheNoteTakesTheBarsPlaceUpToTheImportButton) {
  const DialogControl progress{kIdcProgress, 4, 187, 77, 10, ANCHOR_LEFT | ANCHOR_BOTTOM};
  const DialogControl import_button{kIdcImportSelected, 137, 183, 115, 14, ANCHOR_BOTTOM};
  EXPECT_EQ(NotListedNotePlace(progress, import_button).width, 129);
  const DialogControl note = NotListedNotePlace(progress, import_button);
  EXPECT_EQ(note.id, kIdcNotListed);
  EXPECT_EQ(note.x, 4);
  EXPECT_EQ(note.y, 187);
  EXPECT_EQ(note.height, 10);
  EXPECT_EQ(note.anchors, progress.anchors);
  // A button that comes closer than the bar's own width: the bar's width.
  const DialogControl near_button{kIdcImportSelected, 60, 183, 115, 14, ANCHOR_BOTTOM};
  EXPECT_EQ(NotListedNotePlace(progress, near_button).width, 77);
}

}  // namespace
}  // namespace rqx340
