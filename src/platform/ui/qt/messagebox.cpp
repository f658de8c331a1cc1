#include "platform/ui/messagebox.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/CWinApp.h"
#include "platform/ui/qt/bridge.h"

namespace ui {

int ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  QMessageBox box(Widget(owner));
  box.setWindowTitle(ToQt(caption ? caption : AfxGetAppName()));
  box.setText(ToQt(text));
  box.setTextFormat(Qt::PlainText);
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  QPushButton* ok = box.addButton(QString::fromUtf16(u"确定"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  return IDOK;
}

}  // namespace ui
