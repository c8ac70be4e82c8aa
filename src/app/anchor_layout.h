// The anchor arithmetic of the resizing dialog on plain rectangles, kept apart
// from the widgets so it can be checked case by case. Rectangles have exclusive
// right and bottom edges (right = left + width), as window rectangles have.
#pragma once

#include <cstdint>
#include <ostream>

namespace rqx340 {

inline constexpr std::uint32_t ANCHOR_LEFT = 0x01;
inline constexpr std::uint32_t ANCHOR_RIGHT = 0x02;
inline constexpr std::uint32_t ANCHOR_TOP = 0x04;
inline constexpr std::uint32_t ANCHOR_BOTTOM = 0x08;
inline constexpr std::uint32_t ANCHOR_HCENTER = 0x10;

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// For test failures and logs: "(left, top)-(right, bottom)".
std::ostream& operator<<(std::ostream& out, const Rect& rect);

// Where a control goes when the client rectangle changes from `initial_client`
// to `client`. `initial` is the control's rectangle when the dialog was set up,
// `current` its rectangle now (its size moves with a single anchor).
Rect AnchoredRect(std::uint32_t flags, const Rect& initial, const Rect& current,
                  const Rect& initial_client, const Rect& client);

}  // namespace rqx340
