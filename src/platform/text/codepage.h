#pragma once
// Code page 936 is the program's own text; every other encoding is met only at an edge
// (the toolkit's UTF-16, the database's wide text, the terminal's UTF-8). It is the
// platform's table, user-defined areas (private-use characters), 0x80 and 0xFF included:
// every sequence it holds comes back from Unicode as the same bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace text {

// Bytes the code page cannot hold (a lead byte cut off, an undefined pair) become U+FFFD:
// a reply of garbage still shows, and nothing crashes. U+FFFD itself goes back as '?'.
std::u16string Cp936ToUtf16(std::string_view bytes);
// Each character the code page lacks (default-ignorable ones too), and each lone surrogate,
// becomes one '?'; no look-alike is chosen.
std::string Utf16ToCp936(std::u16string_view chars);

std::string Cp936ToUtf8(std::string_view bytes);
// Malformed UTF-8 becomes U+FFFD, one per maximal subpart.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view chars);
// Malformed UTF-8 becomes '?', as a character the code page lacks.
std::string Utf8ToCp936(std::string_view utf8);
// The character whose UTF-8 starts at `at`, and in `length` its bytes; nothing when the
// sequence there is malformed (`length` is then that of its maximal subpart).
std::optional<char32_t> Utf8CharacterAt(std::string_view utf8, std::size_t at, std::size_t& length);

// For text that must arrive exactly as given (a card's data): nothing is replaced. The
// conversion gives nothing when a character is one the code page lacks (or the text is
// malformed), and `firstBad`, when given, is set to where that character starts: an
// offset in bytes of `utf8`, or in units of `chars`.
std::optional<std::string> Utf16ToCp936Exactly(std::u16string_view chars, std::size_t* firstBad = nullptr);
std::optional<std::string> Utf8ToCp936Exactly(std::string_view utf8, std::size_t* firstBad = nullptr);

}  // namespace text
