#pragma once
// Characters in UTF-16 text, as every text rule here counts them: a high surrogate followed
// by a low one is one character, and a lone surrogate is a character of its own.
#include <cstddef>
#include <string_view>
#include <type_traits>

namespace text {

// ASCII is the same text in code page 936, UTF-8 and UTF-16: such text is copied across,
// which costs far less than any converter.
template <typename Char>
bool IsAscii(std::basic_string_view<Char> s) {
  for (Char c : s) {
    if (static_cast<std::make_unsigned_t<Char>>(c) >= 0x80) return false;
  }
  return true;
}

// How many units the character at `i` takes: 2 for a surrogate pair, else 1.
inline std::size_t UnitsOfCharacterAt(std::u16string_view s, std::size_t i) {
  const bool pair = i + 1 < s.size() && s[i] >= 0xD800 && s[i] <= 0xDBFF && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF;
  return pair ? 2 : 1;
}

// Where the first character that `fits` refuses starts, or s.size() when it takes them all.
template <typename Fits>
std::size_t FirstCharacterNotFitting(std::u16string_view s, Fits fits) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t units = UnitsOfCharacterAt(s, i);
    if (!fits(s.substr(i, units))) return i;
    i += units;
  }
  return s.size();
}

}  // namespace text
