// Text fields: cut, copied and padded within their bounds.
#include "base/byte_order.h"

#include <algorithm>
#include <cstring>

namespace rqx340 {

bool PutText(std::span<std::byte> buffer, std::size_t offset, std::size_t field_size,
             std::string_view text, std::size_t max_text) {
  if (!detail::FieldFits(buffer.size(), offset, field_size)) return false;
  const auto field = buffer.subspan(offset, field_size);
  text = text.substr(0, std::min({text.find('\0'), max_text, field_size}));
  if (!text.empty()) std::memcpy(field.data(), text.data(), text.size());
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(text.size()), field.end(), std::byte{0});
  return true;
}

std::string_view GetText(std::span<const std::byte> buffer, std::size_t offset,
                         std::size_t field_size) {
  if (!detail::FieldFits(buffer.size(), offset, field_size)) return {};
  const char* text = reinterpret_cast<const char*>(buffer.data() + offset);
  return std::string_view(text, std::find(text, text + field_size, '\0') - text);
}

}  // namespace rqx340
