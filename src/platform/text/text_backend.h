#pragma once
// The seam of the text layer. Shared: CString, UTF-8 both ways and every conversion made of
// others (utf8.cpp), the resources' texts known in both forms (known_texts.h), and the rule
// for where a character ends (characters.h). Each platform supplies, under the same file
// names in posix/ and win32/, with the same answer for every input on both:
//
//   codepage.cpp     Cp936ToUtf16, Utf16ToCp936 and Utf16ToCp936Exactly (codepage.h) over
//                    code page 936's table: ICU's windows-936 on Linux, the platform's own
//                    on Windows, so a card's bytes come back unchanged whichever read them
//   environment.cpp  EnvironmentSetting and OwnersFileFirstLine (environment.h): the
//                    UTF-8 environment and open(2) with fstat on Linux, the wide
//                    environment and CreateFileW on Windows, the same file rules on both
#include "platform/text/codepage.h"
#include "platform/text/environment.h"
