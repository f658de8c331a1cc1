// UTF-8 for both platforms: the terminal's and the environment's text, converted by one
// rule so a malformed byte reads the same everywhere; and the conversions made of others.
// Code page 936 itself is each platform's table (codepage.cpp in posix/ and win32/).
#include <cstdint>

#include "platform/text/characters.h"
#include "platform/text/text_backend.h"

namespace text {
namespace {

// Kept whole: every platform call the layer relies on must be there when it links.
[[gnu::used]] const auto* const kSeam = &seam::kSupplied;

struct Decoded {
  char32_t code;
  std::size_t length;  // for a malformed sequence, the bytes one U+FFFD stands for
  bool ok;
};

// The well-formed sequences of the Unicode standard (no overlong forms, no surrogates,
// nothing past U+10FFFF). A malformed one is replaced by its maximal subpart, the lead and
// the trail bytes that could still have begun a sequence, as ICU and Windows both do.
Decoded DecodeAt(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t trail = 0;
  char32_t code = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the first trail byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2, code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3, code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};
  }
  for (std::size_t n = 1; n <= trail; ++n) {
    if (i + n >= s.size() || byte(i + n) < low || byte(i + n) > high) return {0, n, false};
    code = code << 6 | (byte(i + n) & 0x3F);
    low = 0x80, high = 0xBF;
  }
  return {code, trail + 1, true};
}

void Append(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
  }
}

}  // namespace

// Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const Decoded d = DecodeAt(utf8, i);
    Append(out, d.ok ? d.code : U'\uFFFD');
    i += d.length;
  }
  return out;
}

std::optional<char32_t> Utf8CharacterAt(std::string_view utf8, std::size_t at, std::size_t& length) {
  const Decoded d = DecodeAt(utf8, at);
  length = d.length;
  return d.ok ? std::optional<char32_t>(d.code) : std::nullopt;
}

std::string Utf16ToUtf8(std::u16string_view chars) {
  std::string out;
  out.reserve(chars.size());
  for (std::size_t i = 0; i < chars.size(); ++i) {
    char32_t code = chars[i];
    if (code >= 0xD800 && code <= 0xDFFF) {
      const bool pair = code <= 0xDBFF && i + 1 < chars.size() && chars[i + 1] >= 0xDC00 && chars[i + 1] <= 0xDFFF;
      code = pair ? 0x10000 + ((code - 0xD800) << 10) + (chars[++i] - 0xDC00) : U'\uFFFD';
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::string Cp936ToUtf8(std::string_view bytes) {
  return IsAscii(bytes) ? std::string(bytes) : Utf16ToUtf8(Cp936ToUtf16(bytes));
}

// U+FFFD has no place in the code page, so malformed UTF-8 comes out as '?'.
std::string Utf8ToCp936(std::string_view utf8) {
  return IsAscii(utf8) ? std::string(utf8) : Utf16ToCp936(Utf8ToUtf16(utf8));
}

std::optional<std::string> Utf16ToCp936Exactly(std::u16string_view chars, std::size_t* firstBad) {
  if (auto whole = backend::Cp936OfWholeText(chars)) return whole;
  // Only on failure: one character at a time, to say which one it is.
  if (firstBad != nullptr) {
    *firstBad = FirstCharacterNotFitting(
        chars, [](std::u16string_view one) { return backend::Cp936OfWholeText(one).has_value(); });
  }
  return std::nullopt;
}

std::optional<std::string> Utf8ToCp936Exactly(std::string_view utf8, std::size_t* firstBad) {
  if (IsAscii(utf8)) return std::string(utf8);  // no converter loaded for a ticket's digits
  std::u16string chars;
  for (std::size_t i = 0; i < utf8.size();) {
    const Decoded d = DecodeAt(utf8, i);
    if (!d.ok) {
      if (firstBad != nullptr) *firstBad = i;
      return std::nullopt;
    }
    Append(chars, d.code);
    i += d.length;
  }
  std::size_t bad = 0;
  std::optional<std::string> out = Utf16ToCp936Exactly(chars, &bad);
  // Well-formed text goes back to the very bytes it came from, so the prefix's length in
  // UTF-8 is where the refused character starts.
  if (!out && firstBad != nullptr) *firstBad = Utf16ToUtf8(std::u16string_view(chars).substr(0, bad)).size();
  return out;
}

}  // namespace text
