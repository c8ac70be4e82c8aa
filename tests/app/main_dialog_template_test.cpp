// Where the dialog's controls stand, in the template and in each language.
#include "app/main_dialog_template.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace rqx340 {
namespace {

TEST(MainDialogTemplateTest, ALanguageMovesOnlyTheControlsItNames) {
  const LanguageTable table =
      LanguageTable::Parse("@1111\t236,186,94,10\n@4242\t1,2,3,4\n", nullptr);
  for (const DialogControl& control : kMainDialogControls) {
    SCOPED_TRACE(control.id);
    const auto english = PlacedControl(control.id, nullptr);
    ASSERT_TRUE(english);
    EXPECT_EQ(english->x, control.x);
    EXPECT_EQ(english->width, control.width);
    const auto placed = PlacedControl(control.id, &table);
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->anchors, control.anchors);
    if (control.id == kIdcImportRaw) {
      EXPECT_EQ((std::array{placed->x, placed->y, placed->width, placed->height}),
                (std::array{236, 186, 94, 10}));
    } else {
      EXPECT_EQ((std::array{placed->x, placed->y, placed->width, placed->height}),
                (std::array{control.x, control.y, control.width, control.height}));
    }
  }
  EXPECT_FALSE(PlacedControl(4242, &table));
}

// In every shipped language the controls stay inside the dialog and apart;
// only the list and the note over it share their place, and the folder box's
// height is that of its open list (its closed box is one line high).
TEST(MainDialogTemplateTest, EveryLanguageKeepsItsControlsInsideAndApart) {
  int languages = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(RQX340_SOURCE_DIR) + "/res/lang")) {
    const std::string file = entry.path().filename().string();
    SCOPED_TRACE(file);
    const auto table =
        LanguageTable::Open(file, {entry.path().parent_path().string() + "/"}, nullptr);
    ASSERT_TRUE(table);
    ++languages;
    std::vector<DialogControl> placed;
    for (const DialogControl& control : kMainDialogControls) {
      if (control.id == kIdcNoMeasurements) continue;
      DialogControl place = *PlacedControl(control.id, &*table);
      if (place.id == kIdcFolder) place.height = 12;
      EXPECT_GE(place.x, 0) << place.id;
      EXPECT_GE(place.y, 0) << place.id;
      EXPECT_LE(place.x + place.width, kTemplateWidthDu) << place.id;
      EXPECT_LE(place.y + place.height, kTemplateHeightDu) << place.id;
      placed.push_back(place);
    }
    for (std::size_t a = 0; a < placed.size(); ++a) {
      for (std::size_t b = a + 1; b < placed.size(); ++b) {
        const DialogControl& p = placed[a];
        const DialogControl& q = placed[b];
        const bool apart = p.x + p.width <= q.x || q.x + q.width <= p.x || p.y + p.height <= q.y ||
                           q.y + q.height <= p.y;
        EXPECT_TRUE(apart) << p.id << " and " << q.id;
      }
    }
  }
  EXPECT_EQ(languages, 6);
}

}  // namespace
}  // namespace rqx340
