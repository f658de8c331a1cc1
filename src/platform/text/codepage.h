#pragma once
// Code page 936 is the program's own text; every other encoding is met only at an edge
// (the toolkit's UTF-16, the database's wide text, the terminal's UTF-8).
#include <string>
#include <string_view>

namespace text {

// Undecodable bytes become U+FFFD: a reply of garbage still shows, and nothing crashes.
std::u16string Cp936ToUtf16(std::string_view bytes);
// Characters outside the code page become '?', as the platform's best-fit would.
std::string Utf16ToCp936(std::u16string_view chars);

std::string Cp936ToUtf8(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view chars);
std::string Utf8ToCp936(std::string_view utf8);

}  // namespace text
