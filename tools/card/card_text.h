#pragma once
// The text a user gives for a card, made into the card's bytes (code page 936) and back.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "encoder/frames.h"

namespace card {

// The most a card holds, in code page 936 bytes: what one read gives back whole. A reply of
// 100 bytes fills the read and may hold more, and four of the bytes frame the data, so
// 95; every command that writes a card refuses more before anything is written.
inline constexpr std::size_t kCardCapacity = REPLY_BUFFER_SIZE - 5;
// Why these bytes (code page 936) cannot go onto a card, or nothing when they can: none, a
// 00 byte (it ends a frame), or more than kCardCapacity.
std::optional<std::string> WhyNotOnACard(std::string_view bytes);

// The card's bytes for given text (UTF-8), or nothing and `problem` in plain words: a
// control character (C0 or DEL), a character code page 936 lacks, or WhyNotOnACard.
std::optional<std::string> CardBytesOfText(std::string_view utf8, std::string& problem);
// The same for hex digits ("41 1D 42" or "411d42"): any byte but 00 and ESC.
std::optional<std::string> CardBytesOfHex(std::string_view hex, std::string& problem);

// For showing: the card's bytes as text (U+FFFD for bytes that are no character), as hex.
std::string TextOfCard(std::string_view bytes);
std::string HexOfCard(std::string_view bytes);
// A C0 control byte or DEL: no card text holds one, and plain output cannot carry one.
inline bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
// For a message: text with its control bytes as '?', so that none drives the terminal.
std::string Printable(std::string text);

}  // namespace card
