#pragma once
#include "platform/ui/winuser.h"

namespace ui {
// A modal box with the text, an OK button and the icon the type asks for; without a
// caption of its own it carries the application's name. Each toolkit has its own.
int ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
}  // namespace ui
