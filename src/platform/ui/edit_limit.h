#pragma once
#include <QLineEdit>

namespace ui {
// Limits what the user can type to a count of code page 936 bytes; text the program sets
// is not cut.
void SetByteLimit(QLineEdit* edit, int limit);
int ByteLimit(const QLineEdit* edit);
}  // namespace ui
