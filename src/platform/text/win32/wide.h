#pragma once
// The W calls' strings, for the Windows backends: wchar_t is UTF-16 there, so the
// program's code page 936 text meets the platform's calls through these two.
#include <string>
#include <string_view>

#include "platform/text/codepage.h"

namespace text {

inline std::wstring Cp936ToWide(std::string_view bytes) {
  const std::u16string chars = Cp936ToUtf16(bytes);
  return std::wstring(chars.begin(), chars.end());
}

inline std::string WideToCp936(std::wstring_view chars) {
  return Utf16ToCp936(std::u16string_view(reinterpret_cast<const char16_t*>(chars.data()), chars.size()));
}

}  // namespace text
