#pragma once
// Texts the program's resources give in both forms, as the platform's resources keep every
// text in UTF-16 beside the code page the program reads. Converting one of them needs no
// table: the window starts and paints its own texts before the code page's table is read.
#include <string>
#include <string_view>

namespace text {

// Both forms of one text; the later of two pairs for the same text holds.
void AddKnownText(std::string_view cp936, std::u16string_view utf16);
// The other form of a known text, or null.
const std::u16string* KnownUtf16(std::string_view cp936);
const std::string* KnownCp936(std::u16string_view utf16);

}  // namespace text
