#include "platform/text/text_backend.h"

#include <windows.h>

#include <climits>
#include <optional>
#include <stdexcept>

#include "platform/text/characters.h"

namespace text {
namespace {

constexpr UINT kCp936 = 936;

int Length(size_t size) {
  if (size > INT_MAX / 4) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

// Code page 936 both ways. Sizes first, then converts: the calls report the length they need.
std::u16string ToUtf16(DWORD flags, std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(kCp936, flags, bytes.data(), Length(bytes.size()), nullptr, 0);
  if (n == 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(kCp936, flags, bytes.data(), Length(bytes.size()), reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::string FromUtf16(DWORD flags, std::u16string_view chars) {
  if (chars.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(chars.data());
  const char* fallback = "?";  // the code page's default character
  int n = WideCharToMultiByte(kCp936, flags, wide, Length(chars.size()), nullptr, 0, fallback, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp936, flags, wide, Length(chars.size()), out.data(), n, fallback, nullptr);
  return out;
}

// The character the platform puts in for bytes it cannot read, which the program never
// takes for text: it shows U+FFFD instead, as on Linux.
wchar_t UnreadableMark() {
  CPINFOEXW info{};
  return GetCPInfoExW(kCp936, 0, &info) ? info.UnicodeDefaultChar : L'\x30FB';
}

// One sequence, or nothing when the code page does not hold it. Strict conversion refuses
// some single bytes the table holds (0xFF), so a single byte is also tried leniently.
std::u16string OneSequence(std::string_view bytes) {
  std::u16string chars = ToUtf16(MB_ERR_INVALID_CHARS, bytes);
  if (chars.empty() && bytes.size() == 1) {
    chars = ToUtf16(0, bytes);
    if (chars.size() != 1 || chars[0] == static_cast<char16_t>(UnreadableMark()) ||
        (chars[0] == u'?' && bytes[0] != '?')) {
      chars.clear();
    }
  }
  return chars;
}

// Text that does not convert strictly is read one sequence at a time: a lead byte with its
// trail or, when the trail cannot follow it, the lead alone, and the next byte on its own.
std::u16string Cp936SequenceBySequence(std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    size_t width = IsDBCSLeadByteEx(kCp936, static_cast<BYTE>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
    std::u16string one = OneSequence(bytes.substr(i, width));
    if (one.empty() && width == 2) width = 1;
    if (one.empty() && width == 1) one = OneSequence(bytes.substr(i, 1));
    out += one.empty() ? std::u16string(1, u'\xFFFD') : one;
    i += width;
  }
  return out;
}

// A character comes out only as the bytes that read back as that character: whatever the
// platform would put in for one the code page lacks (a look-alike, its default) becomes '?'.
std::string Cp936CharByChar(std::u16string_view chars) {
  std::string out;
  for (size_t i = 0; i < chars.size();) {
    const size_t width = UnitsOfCharacterAt(chars, i);
    std::u16string_view one = chars.substr(i, width);
    std::string bytes = FromUtf16(WC_NO_BEST_FIT_CHARS, one);
    out += ToUtf16(MB_ERR_INVALID_CHARS, bytes) == one || OneSequence(bytes) == one ? bytes : "?";
    i += width;
  }
  return out;
}

}  // namespace

std::u16string Cp936ToUtf16(std::string_view bytes) {
  // Text with a sequence the strict call refuses converts to nothing, and is read again.
  std::u16string chars = ToUtf16(MB_ERR_INVALID_CHARS, bytes);
  return chars.empty() && !bytes.empty() ? Cp936SequenceBySequence(bytes) : chars;
}

std::string Utf16ToCp936(std::u16string_view chars) {
  // No best fit: a character the code page lacks becomes '?', never a look-alike. Text that
  // reads back unchanged needed none.
  std::string bytes = FromUtf16(WC_NO_BEST_FIT_CHARS, chars);
  return Cp936ToUtf16(bytes) == chars ? bytes : Cp936CharByChar(chars);
}

// The exact conversion: no best fit, the platform's default character never used, and the
// round trip checked, so no substitute and no look-alike can get through.
std::optional<std::string> backend::Cp936OfWholeText(std::u16string_view chars) {
  if (chars.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(chars.data());
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(kCp936, WC_NO_BEST_FIT_CHARS, wide, Length(chars.size()), nullptr, 0, nullptr,
                              &usedDefault);
  if (n == 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp936, WC_NO_BEST_FIT_CHARS, wide, Length(chars.size()), out.data(), n, nullptr, &usedDefault);
  if (usedDefault || Cp936ToUtf16(out) != chars) return std::nullopt;
  return out;
}

}  // namespace text
