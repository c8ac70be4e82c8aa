// The dialogs' font and its dialog units on Qt, and the rectangles of the
// layout arithmetic as Qt's.
#pragma once

#include <QFont>
#include <QRect>

#include "app/anchor_layout.h"
#include "app/dialog_units.h"

namespace rqx340 {

// The application's default sans font at 9 points: the font of every dialog.
QFont DialogFont();

// The dialog units of `font`, from its letters' advance and its line height.
DialogUnits DialogUnitsOf(const QFont& font);

// Right and bottom are exclusive in a Rect: never QRect::right(), which is one less.
inline QRect ToQRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}
inline Rect ToRect(const QRect& rect) {
  return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

}  // namespace rqx340
