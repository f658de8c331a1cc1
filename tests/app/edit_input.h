#pragma once
// The operator's hands on an edit, as each platform delivers them: a typed character, a
// paste of the clipboard, and what the edit then holds.
#include <string>

#include "platform/ui/afxwin.h"

void TypeInto(CEdit& edit, char16_t c);
void PasteInto(CEdit& edit, const std::u16string& clipboard);
std::u16string TextIn(const CEdit& edit);
