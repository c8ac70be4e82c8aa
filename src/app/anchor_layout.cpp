// Each edge either keeps its distance to the dialog's matching edge (or to the
// horizontal centre) or follows the opposite edge at the control's size.
#include "app/anchor_layout.h"

#include <utility>

namespace rqx340 {

Rect AnchoredRect(std::uint32_t flags, const Rect& initial, const Rect& current,
                  const Rect& initial_client, const Rect& client) {
  // Halves round toward zero, as C's integer division does.
  const int d_right = client.right - initial_client.right;
  const int d_bottom = client.bottom - initial_client.bottom;
  const int d_centre =
      (client.left + client.right) / 2 - (initial_client.left + initial_client.right) / 2;
  const int width = current.Width();
  const int height = current.Height();
  const bool centre = (flags & ANCHOR_HCENTER) != 0;

  int x0 = 0;
  int x1 = 0;
  if (flags & ANCHOR_LEFT) {
    x0 = initial.left + (centre ? d_centre : client.left - initial_client.left);
    x1 = (flags & ANCHOR_RIGHT) ? initial.right : x0 + width;
  } else {
    x0 = initial.left;
    x1 = initial.right;
  }
  if (flags & ANCHOR_RIGHT) {
    x1 += centre ? d_centre : d_right;
    if (!(flags & ANCHOR_LEFT)) x0 = x1 - width;
  }

  int y0 = 0;
  int y1 = 0;
  if (flags & ANCHOR_TOP) {
    y0 = initial.top + (client.top - initial_client.top);
    y1 = (flags & ANCHOR_BOTTOM) ? initial.bottom : y0 + height;
  } else {
    y0 = initial.top;
    y1 = initial.bottom;
  }
  if (flags & ANCHOR_BOTTOM) {
    y1 += d_bottom;
    if (!(flags & ANCHOR_TOP)) y0 = y1 - height;
  }

  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  return {x0, y0, x1, y1};
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
  return out << '(' << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom
             << ')';
}

}  // namespace rqx340
