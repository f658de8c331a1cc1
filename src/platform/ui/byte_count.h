#pragma once
// An edit's limit counts code page 936 bytes, on both toolkits; their strings are UTF-16.
#include <cstddef>
#include <string_view>

namespace ui {

long long Cp936Bytes(std::u16string_view s);
// How many UTF-16 units of `s` lead it within `room` bytes, never cutting a character.
std::size_t LeadingUnitsWithin(std::u16string_view s, long long room);

}  // namespace ui
