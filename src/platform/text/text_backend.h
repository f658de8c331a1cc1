#pragma once
// The seam of the text layer. Shared: CString, UTF-8 both ways and every conversion made of
// others (utf8.cpp), the resources' texts known in both forms (known_texts.h), and the rule
// for where a character ends (characters.h). Each platform supplies, under the same file
// names in posix/ and win32/, with the same answer for every input on both:
//
//   codepage.cpp     Cp936ToUtf16 and Utf16ToCp936 (codepage.h) and Cp936OfWholeText below,
//                    over code page 936's table: ICU's windows-936 on Linux, the
//                    platform's own on Windows, so a card's bytes come back unchanged
//                    whichever read them
//   environment.cpp  EnvironmentSetting and OwnersFileFirstLine (environment.h): the
//                    UTF-8 environment and open(2) with fstat on Linux, the wide
//                    environment and CreateFileW on Windows, the same file rules on both;
//                    HostName and UserName from gethostname and the password database,
//                    or GetComputerNameW and GetUserNameW
#include <tuple>

#include "platform/text/codepage.h"
#include "platform/text/environment.h"

namespace text::backend {
// The whole text in the code page exactly, or nothing when any character of it (a lone
// surrogate too) has no place there or would come back as another. Utf16ToCp936Exactly
// (utf8.cpp) builds on it, and asks again one character at a time to say where.
std::optional<std::string> Cp936OfWholeText(std::u16string_view chars);
}  // namespace text::backend

namespace text::seam {
// Everything a platform supplies, by address. utf8.cpp keeps this table, so a backend that
// lacks one fails to link on its own platform.
inline const auto kSupplied = std::make_tuple(&Cp936ToUtf16, &Utf16ToCp936, &backend::Cp936OfWholeText,
                                              &EnvironmentSetting, &OwnersFileFirstLine, &HostName, &UserName);
}  // namespace text::seam
