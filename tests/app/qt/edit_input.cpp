// Typing is a key event carrying the character and a paste the edit's own paste from the
// clipboard, on the offscreen platform; the program's toolkit starts here too.
#include "edit_input.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

#include "support/qt_test_main.h"

namespace {

QLineEdit* LineEdit(const CEdit& edit) { return reinterpret_cast<QLineEdit*>(edit.m_hWnd); }

}  // namespace

void TypeInto(CEdit& edit, char16_t c) {
  // A backspace is its key, as a keyboard sends it; other characters come as their text.
  const int key = c == u'\b' ? Qt::Key_Backspace : Qt::Key_unknown;
  const QString text(QChar(static_cast<ushort>(c)));
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(LineEdit(edit), &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(LineEdit(edit), &release);
}

void PasteInto(CEdit& edit, const std::u16string& clipboard) {
  QGuiApplication::clipboard()->setText(QString::fromStdU16String(clipboard));
  LineEdit(edit)->paste();
}

std::u16string TextIn(const CEdit& edit) { return LineEdit(edit)->text().toStdU16String(); }

int main(int argc, char** argv) { return RunQtTests(argc, argv, "offscreen"); }
