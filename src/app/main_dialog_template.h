// The main dialog's template: its client size and its nine controls in dialog
// units, each with the anchor flags it is registered with for resizing, in the
// order they are registered. Every front end lays the dialog out from it, with
// the places a language gives some controls for its longer texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "app/anchor_layout.h"
#include "app/language_table.h"
#include "base/string_table.h"

namespace rqx340 {

inline constexpr int kTemplateWidthDu = 389;
inline constexpr int kTemplateHeightDu = 201;
// Controls without a text of their own; the others' ids are their string ids.
inline constexpr int kIdcProgress = 1095;
inline constexpr int kIdcList = 1108;
inline constexpr int kIdcFolder = 1109;
// The first scan waits this long after the dialog opened.
inline constexpr int kStartTimerMs = 50;

struct DialogControl {
  std::uint32_t id;
  // In dialog units. The folder box's height is that of its open list.
  int x, y, width, height;
  std::uint32_t anchors;
};

inline constexpr std::array<DialogControl, 9> kMainDialogControls = {{
    {kIdcFolderLabel, 4, 7, 75, 8, ANCHOR_LEFT | ANCHOR_TOP},
    {kIdcFolder, 81, 5, 254, 173, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP},
    {kIdcBrowse, 336, 4, 50, 14, ANCHOR_RIGHT | ANCHOR_TOP},
    {kIdcList, 4, 21, 381, 158, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM},
    {kIdcProgress, 4, 187, 77, 10, ANCHOR_LEFT | ANCHOR_BOTTOM},
    {kIdcClose, 335, 183, 50, 14, ANCHOR_RIGHT | ANCHOR_BOTTOM},
    {kIdcImportSelected, 137, 183, 115, 14, ANCHOR_LEFT | ANCHOR_BOTTOM | ANCHOR_HCENTER},
    {kIdcImportRaw, 261, 186, 69, 10, ANCHOR_LEFT | ANCHOR_BOTTOM | ANCHOR_HCENTER},
    // Over the middle of the list.
    {kIdcNoMeasurements, 12, 96, 366, 11, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM},
}};

// The template's control `id`; null when it has none.
constexpr const DialogControl* FindMainDialogControl(std::uint32_t id) {
  for (const DialogControl& control : kMainDialogControls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

// Control `id` where `language` (none: English) puts it, else where the
// template does; only the place is the language's, the anchors stay. Null
// when the template has no control `id`.
inline std::optional<DialogControl> PlacedControl(std::uint32_t id,
                                                  const LanguageLibrary* language) {
  const DialogControl* control = FindMainDialogControl(id);
  if (control == nullptr) return std::nullopt;
  DialogControl placed = *control;
  if (language == nullptr) return placed;
  if (const auto place = language->FindPosition(static_cast<int>(id))) {
    placed.x = place->x;
    placed.y = place->y;
    placed.width = place->width;
    placed.height = place->height;
  }
  return placed;
}

}  // namespace rqx340
