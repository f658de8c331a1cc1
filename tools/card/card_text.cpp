#include "card_text.h"

#include <cctype>
#include <cstdio>

#include "platform/text/codepage.h"

namespace card {
namespace {

// The checks every card shares, after conversion.
std::optional<std::string> Fits(std::string bytes, std::string& problem) {
  if (std::optional<std::string> why = WhyNotOnACard(bytes)) {
    problem = std::move(*why);
    return std::nullopt;
  }
  return bytes;
}

// "'€' (U+20AC)" for the character that starts at `at`.
std::string Character(std::string_view utf8, std::size_t at) {
  std::size_t length = 0;
  const std::optional<char32_t> code = text::Utf8CharacterAt(utf8, at, length);
  if (!code) return "a byte that is not UTF-8";
  char name[16];
  std::snprintf(name, sizeof name, "U+%04lX", static_cast<unsigned long>(*code));
  // Controls and invisible characters are named only by their code, never printed.
  const bool printable = *code >= 0x20 && *code != 0x7F && !(*code >= 0x80 && *code < 0xA0);
  if (!printable) return name;
  std::string shown("'");
  return shown.append(utf8.substr(at, length)).append("' (").append(name).append(")");
}

}  // namespace

std::optional<std::string> WhyNotOnACard(std::string_view bytes) {
  if (bytes.empty()) return "the text is empty, so there is nothing to write";
  if (bytes.find('\0') != std::string_view::npos)
    return "the text holds a 00 byte, which ends a frame on the line; a card cannot take it";
  if (bytes.size() > kCardCapacity)
    return "the text is " + std::to_string(bytes.size()) + " bytes in code page 936; a card holds at most " +
           std::to_string(kCardCapacity) + ", all one read gives back whole (a Chinese character counts two)";
  return std::nullopt;
}

std::optional<std::string> CardBytesOfText(std::string_view utf8, std::string& problem) {
  // A control byte has no place on a card's text, and ESC and GS would end the write frame
  // and begin another on the line.
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (IsControl(utf8[i])) {
      problem = "the text holds the control character " + Character(utf8, i) +
                ", which no card text holds; remove it (--hex writes bytes that are not text)";
      return std::nullopt;
    }
  }
  std::size_t bad = 0;
  std::optional<std::string> bytes = text::Utf8ToCp936Exactly(utf8, &bad);
  if (!bytes) {
    problem = "the character " + Character(utf8, bad) +
              " is not in code page 936, the card's encoding; change or remove it";
    return std::nullopt;
  }
  return Fits(std::move(*bytes), problem);
}

std::optional<std::string> CardBytesOfHex(std::string_view hex, std::string& problem) {
  std::string digits;
  for (std::size_t i = 0; i < hex.size(); ++i) {
    const char c = hex[i];
    if (c == ' ' || c == ':' || c == '-' || c == '\t') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      problem = "the character " + Character(hex, i) + " is not a hex digit; give the bytes as hex, e.g. \"41 42 1D\"";
      return std::nullopt;
    }
    digits += c;
  }
  if (digits.size() % 2 != 0) {
    problem = "the hex has an odd number of digits; give two for every byte";
    return std::nullopt;
  }
  std::string bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2)
    bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  // ESC begins every frame and GS ESC '\' ends a write: on the line they would make frames
  // of their own, whatever the card was meant to hold.
  if (bytes.find('\x1B') != std::string::npos) {
    problem = "the bytes hold 1B (ESC), which begins a frame on the line; a card cannot take it";
    return std::nullopt;
  }
  return Fits(std::move(bytes), problem);
}

std::string TextOfCard(std::string_view bytes) { return text::Cp936ToUtf8(bytes); }

std::string HexOfCard(std::string_view bytes) {
  std::string hex;
  char two[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(two, sizeof two, i == 0 ? "%02X" : " %02X", static_cast<unsigned char>(bytes[i]));
    hex += two;
  }
  return hex;
}

std::string Printable(std::string text) {
  for (char& c : text)
    if (IsControl(c)) c = '?';
  return text;
}

}  // namespace card
