#include "harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/text/codepage.h"

INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script) {
  QTimer::singleShot(0, [&dialog, &script] {
    script();
    if (dialog.m_hWnd != nullptr && WidgetOf(dialog)->isVisible()) dialog.EndDialog(IDCANCEL);
  });
  return dialog.DoModal();
}

QWidget* WidgetOf(const CWnd& window) { return reinterpret_cast<QWidget*>(window.m_hWnd); }

std::string Cp936(const QString& text) {
  return text::Utf16ToCp936(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

std::string TextOf(const CWnd& window) {
  CString text;
  window.GetWindowText(text);
  return text.bytes();
}

void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

namespace {
class BoxFilter : public QObject {
 public:
  explicit BoxFilter(std::vector<ShownBox>* shown) : m_shown(shown) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Show) {
      if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        std::vector<std::string> buttons;
        for (QAbstractButton* button : box->buttons()) buttons.push_back(Cp936(button->text()));
        m_shown->push_back(
            {Cp936(box->windowTitle()), Cp936(box->text()), box->icon(), box->parentWidget(), std::move(buttons)});
        QTimer::singleShot(0, box, [box] { box->accept(); });
      }
    }
    return false;
  }

 private:
  std::vector<ShownBox>* m_shown;
};
}  // namespace

MessageBoxes::MessageBoxes() : m_filter(new BoxFilter(&shown)) { qApp->installEventFilter(m_filter); }

MessageBoxes::~MessageBoxes() {
  qApp->removeEventFilter(m_filter);
  delete m_filter;
}

std::string SentBeforeRelease(encoder_sim::PtyPeer& peer, const char* port) {
  static constexpr char kMarker[] = "\x1b~end of test~";
  HANDLE hPort = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(hPort, INVALID_HANDLE_VALUE) << port << " is still held";
  if (hPort == INVALID_HANDLE_VALUE) return peer.received();
  DWORD dwWritten = 0;
  WriteFile(hPort, kMarker, sizeof kMarker - 1, &dwWritten, nullptr);
  CloseHandle(hPort);
  EXPECT_TRUE(peer.waitFor(kMarker, std::chrono::seconds(5)));
  std::string line = peer.received();
  return line.substr(0, line.find(kMarker));
}
