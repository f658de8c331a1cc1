#include "platform/ui/byte_count.h"

#include "platform/text/characters.h"
#include "platform/text/codepage.h"

namespace ui {

long long Cp936Bytes(std::u16string_view s) { return static_cast<long long>(text::Utf16ToCp936(s).size()); }

std::size_t LeadingUnitsWithin(std::u16string_view s, long long room) {
  std::size_t end = 0;
  long long used = 0;
  while (end < s.size()) {
    // A lone surrogate is a character of its own, one '?'.
    const std::size_t step = text::UnitsOfCharacterAt(s, end);
    const long long bytes = Cp936Bytes(s.substr(end, step));
    if (used + bytes > room) break;
    used += bytes;
    end += step;
  }
  return end;
}

}  // namespace ui
