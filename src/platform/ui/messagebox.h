#pragma once
#include <QWidget>

#include "platform/text/wintypes.h"

namespace ui {
// A modal box with the text, an OK button and the icon the type asks for; without a
// caption of its own it carries the application's name.
int ShowMessageBox(QWidget* owner, LPCSTR text, LPCSTR caption, UINT type);
}  // namespace ui
