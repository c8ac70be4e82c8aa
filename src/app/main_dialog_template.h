// The main dialog's template: its client size and its nine controls in dialog
// units, each with the anchor flags it is registered with for resizing, in the
// order they are registered. Every front end lays the dialog out from it. Made
// at build time from res/dialog129.txt, which the Win32 resources come from too.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "app/anchor_layout.h"
#include "app/language_table.h"
#include "base/string_table.h"

namespace rqx340 {

#include "app/main_dialog_size.inc"
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

inline constexpr auto kMainDialogControls = std::to_array<DialogControl>({
#include "app/main_dialog_controls.inc"
});

// The template's control `id`; null when it has none.
constexpr const DialogControl* FindMainDialogControl(std::uint32_t id) {
  for (const DialogControl& control : kMainDialogControls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

// Where control `id` stands, in dialog units: where `language` puts it (its
// "@" lines), else where the template does; nullopt when the template has no
// such control.
inline std::optional<ControlPosition> ControlPlace(std::uint32_t id,
                                                   const LanguageLibrary* language) {
  const DialogControl* control = FindMainDialogControl(id);
  if (control == nullptr) return std::nullopt;
  if (language != nullptr) {
    if (auto moved = language->FindPosition(static_cast<int>(id))) return moved;
  }
  return ControlPosition{control->x, control->y, control->width, control->height};
}

// Every control the dialog names is in the template. (Compared by id, not by
// address: GCC's AddressSanitizer takes an address compared with null for no
// constant.)
constexpr bool InMainDialogTemplate(std::uint32_t id) {
  for (const DialogControl& control : kMainDialogControls) {
    if (control.id == id) return true;
  }
  return false;
}
static_assert(InMainDialogTemplate(kIdcFolderLabel) && InMainDialogTemplate(kIdcFolder) &&
              InMainDialogTemplate(kIdcBrowse) && InMainDialogTemplate(kIdcList) &&
              InMainDialogTemplate(kIdcProgress) && InMainDialogTemplate(kIdcClose) &&
              InMainDialogTemplate(kIdcImportSelected) && InMainDialogTemplate(kIdcImportRaw) &&
              InMainDialogTemplate(kIdcNoMeasurements));

}  // namespace rqx340
