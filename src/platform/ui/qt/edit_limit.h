#pragma once
#include <QLineEdit>

namespace ui {
// Limits what the user can type or paste to a count of code page 936 bytes, as the
// platform's edit does: an insertion keeps its longest leading part that fits, in whole
// characters, and a text already at or past the limit takes no more. Deleting always works.
void SetByteLimit(QLineEdit* edit, int limit);
int ByteLimit(const QLineEdit* edit);
// Sets the text as the program does: whole, past the limit if it is longer.
void SetProgramText(QLineEdit* edit, const QString& text);
}  // namespace ui
