// The measurement list's rules without a control: fill, sort, check marks,
// cell texts and what a view hears.
#include "app/measurement_list_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measurement/date_time.h"
#include "support/measurement_records.h"
#include "support/memory_profile.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::MemoryProfile;

using test::Record;

std::string Join(const std::vector<int>& values) {
  std::string text;
  for (const int value : values) text += (text.empty() ? "" : ",") + std::to_string(value);
  return text;
}

// Notes every call in one log, and can change a mark from inside one.
class RecordingObserver final : public MeasurementListObserver {
 public:
  std::vector<std::string> calls;
  std::function<void()> on_checks;

  void RowsAboutToBeReset() override { calls.push_back("about to reset"); }
  void RowsReset() override { calls.push_back("reset"); }
  void RowsAboutToBeSorted() override { calls.push_back("about to sort"); }
  void RowsSorted(std::span<const int> new_row_of) override {
    calls.push_back("sorted " + Join({new_row_of.begin(), new_row_of.end()}));
  }
  void ChecksChanged(std::span<const int> rows) override {
    calls.push_back("checks " + Join({rows.begin(), rows.end()}));
    if (on_checks) on_checks();
  }
  void SortArrowChanged(int old_column, int new_column) override {
    calls.push_back("arrow " + std::to_string(old_column) + " " + std::to_string(new_column));
  }
};

class MeasurementListModelTest : public ::testing::Test {
 protected:
  MeasurementListModelTest() { model.SetObserver(&observer); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < model.RowCount(); ++row)
      names.push_back(model.RecordAt(row)->m_strName);
    return names;
  }
  std::vector<bool> Checks() const {
    std::vector<bool> checks;
    for (int row = 0; row < model.RowCount(); ++row) checks.push_back(model.IsChecked(row));
    return checks;
  }
  std::vector<int> Arrows() const {
    std::vector<int> arrows;
    for (int column = 0; column < kListColumnCount; ++column)
      arrows.push_back(model.ArrowOf(column));
    return arrows;
  }

  MemoryProfile profile;
  CQWProfileSectionList cache{[this]() -> Profile& { return profile; }};
  DialogSettings settings{cache};
  MeasurementListModel model{&settings};
  RecordingObserver observer;
};

TEST_F(MeasurementListModelTest, AFillSortsByNameDescendingFirstAndIsOneReset) {
  model.SetRecords({Record("b"), Record("A"), Record("c")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"c", "b", "A"}));
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(Arrows(), (std::vector<int>{kIdbSortDown, 0, 0, 0, 0, 0}));
  EXPECT_EQ(observer.calls, (std::vector<std::string>{"about to reset", "reset"}));
  // Row and record: the record index of each row, -1 and null outside.
  EXPECT_EQ(model.RecordOfRow(0), 2);
  EXPECT_EQ(model.RecordOfRow(3), -1);
  EXPECT_EQ(model.RecordOfRow(-1), -1);
  EXPECT_EQ(model.RecordAt(3), nullptr);
  EXPECT_FALSE(model.IsChecked(7));
}

TEST_F(MeasurementListModelTest, HeaderClicksTurnTheOrderMoveTheArrowAndAreKept) {
  model.SetRecords(
      {Record("a", 5, "x", 70000), Record("b", 6, "y", 5000000000), Record("c", 4, "z", 900)});
  model.OnItemChanged(0, true);  // "c"
  observer.calls.clear();
  struct Step {
    int column;
    std::vector<std::string> names;
    std::vector<int> arrows;
    int order;
    std::vector<std::string> calls;
  };
  const Step steps[] = {
      // Sizes by value, not by text.
      {3,
       {"c", "a", "b"},
       {0, 0, 0, kIdbSortUp, 0, 0},
       1,
       {"arrow 0 3", "about to sort", "sorted 0,2,1"}},
      {3,
       {"b", "a", "c"},
       {0, 0, 0, kIdbSortDown, 0, 0},
       0,
       {"arrow 3 3", "about to sort", "sorted 2,1,0"}},
      // Raw sorts by name.
      {5,
       {"a", "b", "c"},
       {0, 0, 0, 0, 0, kIdbSortUp},
       1,
       {"arrow 3 5", "about to sort", "sorted 1,0,2"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.column);
    model.OnColumnClick(step.column);
    EXPECT_EQ(Names(), step.names);
    EXPECT_EQ(Arrows(), step.arrows);
    EXPECT_EQ(model.SortColumn(), step.column);
    EXPECT_EQ(model.SortOrder(), step.order);
    EXPECT_EQ(settings.SortColumn(), step.column);
    EXPECT_EQ(settings.SortOrder(), step.order);
    EXPECT_EQ(observer.calls, step.calls);
    observer.calls.clear();
    // The mark stays with "c".
    EXPECT_EQ(model.GetCheckedIndices(), std::vector<std::int32_t>{2});
  }
  EXPECT_EQ(cache.CachedGetProfileInt("MeasList", "SortColumn", -9), 5);
}

TEST_F(MeasurementListModelTest, KeysCompareAsTheirTypesAndEqualKeysKeepTheirOrder) {
  std::vector<test::SortKeyCase> cases = test::SortKeyCases();
  cases.push_back(
      {"equal modes in record order",
       4,
       {Record("1", 0, "", 0, "WB"), Record("2", 0, "", 0, "ha"), Record("3", 0, "", 0, "HA")},
       {"2", "3", "1"}});
  cases.push_back(
      {"names that differ in case only are equal", 0, {Record("x"), Record("X")}, {"x", "X"}});
  for (const test::SortKeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    profile.values[{"MeasList", "SortColumn"}] = std::to_string(c.column);
    profile.values[{"MeasList", "SortOrder"}] = "1";
    CQWProfileSectionList fresh_cache([this]() -> Profile& { return profile; });
    DialogSettings fresh_settings(fresh_cache);
    MeasurementListModel fresh(&fresh_settings);
    fresh.SetRecords(c.records);
    std::vector<std::string> names;
    for (int row = 0; row < fresh.RowCount(); ++row)
      names.push_back(fresh.RecordAt(row)->m_strName);
    EXPECT_EQ(names, c.ascending);
  }
}

TEST_F(MeasurementListModelTest, TheStoredSortStateAndNoSettings) {
  struct Case {
    const char* column;
    const char* order;
    int sort_column;
    std::vector<int> arrows;
  };
  const Case cases[] = {
      {"9", "1", 5, {0, 0, 0, 0, 0, kIdbSortUp}},  // above the last: the last
      {"-1", "0", -1, {0, 0, 0, 0, 0, 0}},         // negative: by name, no arrow
      {"3", "7", 3, {0, 0, 0, kIdbSortUp, 0, 0}},  // any non-zero order ascends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    profile.values[{"MeasList", "SortColumn"}] = c.column;
    profile.values[{"MeasList", "SortOrder"}] = c.order;
    CQWProfileSectionList fresh_cache([this]() -> Profile& { return profile; });
    DialogSettings fresh_settings(fresh_cache);
    const MeasurementListModel fresh(&fresh_settings);
    EXPECT_EQ(fresh.SortColumn(), c.sort_column);
    std::vector<int> arrows;
    for (int column = 0; column < kListColumnCount; ++column)
      arrows.push_back(fresh.ArrowOf(column));
    EXPECT_EQ(arrows, c.arrows);
  }
  // Without settings: by name, descending, kept nowhere.
  MeasurementListModel alone;
  EXPECT_EQ(alone.SortColumn(), 0);
  EXPECT_EQ(alone.SortOrder(), 0);
  alone.OnColumnClick(2);
  EXPECT_EQ(alone.SortOrder(), 1);
}

TEST_F(MeasurementListModelTest, ACheckChangeCarriesTheSelectionWhenTheRowIsInIt) {
  model.SetRecords({Record("a"), Record("b"), Record("c"), Record("d"), Record("e")});
  // Rows: e d c b a.
  observer.calls.clear();
  struct Step {
    const char* name;
    int row;
    bool checked;
    std::vector<int> selection;
    bool heard;
    std::vector<bool> checks;
    std::vector<std::string> calls;
  };
  const Step steps[] = {
      {"a selected row takes the selection along",
       1,
       true,
       {1, 2, 3},
       true,
       {false, true, true, true, false},
       {"checks 1,2,3"}},
      {"a row outside the selection changes alone",
       4,
       true,
       {1, 2, 3},
       true,
       {false, true, true, true, true},
       {"checks 4"}},
      {"the mark it has already: nothing",
       2,
       true,
       {2, 4},
       false,
       {false, true, true, true, true},
       {}},
      {"unchecking through the selection, marks already gone stay gone",
       3,
       false,
       {0, 3},
       true,
       {false, true, true, false, true},
       {"checks 3"}},
      {"outside the rows: nothing", 5, true, {}, false, {false, true, true, false, true}, {}},
      {"a selection naming rows that are gone",
       0,
       true,
       {0, 9, -1},
       true,
       {true, true, true, false, true},
       {"checks 0"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(model.OnItemChanged(step.row, step.checked, step.selection), step.heard);
    EXPECT_EQ(Checks(), step.checks);
    EXPECT_EQ(observer.calls, step.calls);
    observer.calls.clear();
  }
  // In display order, as record indices.
  EXPECT_EQ(model.GetCheckedIndices(), (std::vector<std::int32_t>{4, 3, 2, 0}));
  // A fill clears every mark.
  model.FillList();
  EXPECT_EQ(Checks(), std::vector<bool>(5, false));
}

TEST_F(MeasurementListModelTest, AChangeMadeWhileMarksChangeIsIgnored) {
  model.SetRecords({Record("a"), Record("b"), Record("c")});
  bool nested = true;
  observer.on_checks = [&] { nested = model.OnItemChanged(2, true); };
  EXPECT_TRUE(model.OnItemChanged(0, true));
  EXPECT_FALSE(nested);
  EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));
  observer.on_checks = {};
  EXPECT_TRUE(model.OnItemChanged(2, true));
}

TEST_F(MeasurementListModelTest, CellTexts) {
  model.SetRecords({Record("m.rqx2", 0, "AB1", 5000000000ULL, "WB", 0),
                    Record("n.rqx2", 0, "", 1, "HA", 1), Record("o.rqx2", 0, "", 1, "Vib", 2),
                    Record("p.rqx2", 0, "", 1, "Vib", 3)});
  // Descending by name: p, o, n, m.
  const std::vector<std::string> m = {"m.rqx2", "N/A", "AB1", "5000000000", "WB", "NO"};
  for (int column = 0; column < kListColumnCount; ++column) {
    EXPECT_EQ(model.CellText(3, column), m[static_cast<std::size_t>(column)]) << column;
  }
  EXPECT_EQ(model.CellText(2, kRawColumn), "YES");
  EXPECT_EQ(model.CellText(1, kRawColumn), "YES*");
  EXPECT_EQ(model.CellText(0, kRawColumn), "YES");  // another flag with its file
  EXPECT_EQ(model.CellText(0, kListColumnCount), "");
  EXPECT_EQ(model.CellText(4, 0), "");
  EXPECT_EQ(model.CellText(-1, 0), "");

  const LocalePictures pictures{"yyyy-MM-dd", "HH:mm:ss", EnglishDateTimeNames()};
  const CRQX340Json dated = Record("t", 86400 * 365);
  EXPECT_EQ(CellText(dated, 1, pictures), FormatDateTime(dated.m_tStart, pictures));
  EXPECT_FALSE(CellText(dated, 1, pictures).empty());
  EXPECT_EQ(CellText(Record("t", -1), 1, pictures), FormatDateTime(-1, pictures));
}

TEST(MeasurementListColumnsTest, EachColumnTakesItsShareOfTheUsableWidth) {
  EXPECT_EQ(ColumnWidths(1000), (std::array<int, kListColumnCount>{440, 200, 100, 120, 70, 70}));
  // Integer shares: 44 % of 999 is 439.56, so 439.
  EXPECT_EQ(ColumnWidths(999), (std::array<int, kListColumnCount>{439, 199, 99, 119, 69, 69}));
  EXPECT_EQ(ColumnWidths(1200)[0] - ColumnWidths(1000)[0], 88);
  EXPECT_EQ(ColumnWidths(-5), (std::array<int, kListColumnCount>{}));
}

TEST_F(MeasurementListModelTest, TheScanListsInByteOrderAndAnEmptyFolderTextListsNothing) {
  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(test::WriteOneMeasurementEach(dir.Path().string(), {"b", "C", "a"}, &error)) << error;
  dir.Write("broken.rqx2", "{");
  test::CallLog calls;
  test::RecordingProgressSink progress(calls);
  model.ScanFolder(dir.Path().string(), progress);
  ASSERT_EQ(model.Records().size(), 3u);
  EXPECT_EQ(model.Records()[0].m_strName, "C0001.rqx2");
  EXPECT_EQ(model.Records()[1].m_strName, "a0001.rqx2");
  EXPECT_EQ(model.Records()[2].m_strName, "b0001.rqx2");
  EXPECT_EQ(Names(), (std::vector<std::string>{"C0001.rqx2", "b0001.rqx2", "a0001.rqx2"}));
  EXPECT_TRUE(model.LastScan().m_bListed);
  EXPECT_EQ(model.LastScan().m_nFilesOpened, 4u);
  EXPECT_EQ(calls.Count("show"), 1u);

  model.OnItemChanged(0, true);
  model.ScanFolder("", progress);
  EXPECT_TRUE(model.Records().empty());
  EXPECT_EQ(model.RowCount(), 0);
  EXPECT_TRUE(model.GetCheckedIndices().empty());
  EXPECT_FALSE(model.LastScan().m_bListed);
  EXPECT_EQ(calls.Count("show"), 1u);
}

}  // namespace
}  // namespace rqx340
