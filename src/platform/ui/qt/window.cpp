// The Qt side of a window: a CWnd's calls on the widget behind its handle.
#include "platform/ui/CWnd.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractButton>
#include <QWindow>

#include "platform/gdi/qt/bridge.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/qt/bridge.h"
#include "platform/ui/qt/edit_limit.h"
#include "platform/ui/qt/owner_draw.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/window_backend.h"

void CWnd::SetWindowText(LPCSTR text) {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return;
  QString s = ui::ToQt(text);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    ui::SetProgramText(edit, s);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(s);
    button->update();
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(s);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(s);
  } else if (w->isWindow()) {
    w->setWindowTitle(s);
  }
}

void CWnd::GetWindowText(CString& text) const {
  QWidget* w = ui::Widget(m_hWnd);
  QString s;
  if (w == nullptr) {
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    s = edit->text();
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    s = button->text();
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    s = group->title();
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    s = label->text();
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    s = combo->currentText();
  } else if (w->isWindow()) {
    s = w->windowTitle();
  }
  text = ui::FromQt(s);
}

BOOL CWnd::EnableWindow(BOOL enable) {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return FALSE;
  BOOL wasDisabled = !w->isEnabled();
  w->setEnabled(enable != FALSE);
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
  QWidget* w = ui::Widget(m_hWnd);
  return w != nullptr && w->isEnabled();
}

BOOL CWnd::ShowWindow(int cmdShow) {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return FALSE;
  BOOL wasVisible = w->isVisible();
  w->setVisible(cmdShow != SW_HIDE);
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
  QWidget* w = ui::Widget(m_hWnd);
  return w != nullptr && w->isVisible();
}

CWnd* CWnd::SetFocus() {
  CWnd* previous = GetFocus();
  if (QWidget* w = ui::Widget(m_hWnd)) w->setFocus(Qt::OtherFocusReason);
  return previous;
}

CWnd* CWnd::GetFocus() {
  QWidget* w = QApplication::focusWidget();
  // Without an active window (an offscreen run) the focus child of the window in front
  // stands in: the modal one, else the main window.
  if (w == nullptr) {
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr && AfxGetMainWnd() != nullptr) front = ui::Widget(AfxGetMainWnd()->m_hWnd);
    if (front != nullptr) w = front->focusWidget();
  }
  return FromHandle(ui::Handle(w));
}

CWnd* CWnd::GetDlgItem(int id) const {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return nullptr;
  for (QObject* child : w->children()) {
    auto* cw = qobject_cast<QWidget*>(child);
    if (cw != nullptr && cw->property("brimlock.id").isValid() && cw->property("brimlock.id").toInt() == id) {
      return FromHandle(ui::Handle(cw));
    }
  }
  return nullptr;
}

BOOL CWnd::IsIconic() const {
  QWidget* w = ui::Widget(m_hWnd);
  return w != nullptr && w->isMinimized();
}

void CWnd::GetClientRect(LPRECT rect) const {
  QWidget* w = ui::Widget(m_hWnd);
  rect->left = rect->top = 0;
  rect->right = w ? w->width() : 0;
  rect->bottom = w ? w->height() : 0;
}

CFont* CWnd::GetFont() const {
  QWidget* w = ui::Widget(m_hWnd);
  return w == nullptr ? nullptr : CFont::FromHandle(gdi::FontHandleOf(w->font()));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT /*flags*/) {
  m_style = (m_style & ~remove) | add;
  if (QWidget* w = ui::Widget(m_hWnd)) {
    w->setProperty("brimlock.style", static_cast<uint>(m_style));
    w->update();
  }
  return TRUE;
}

int CWnd::SetWindowRgn(CRgn* region, BOOL redraw) {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return 0;
  // The window owns the region from now on; the toolkit keeps its own copy as the mask.
  if (region != nullptr) w->setMask(gdi::ToQRegion(static_cast<HRGN>(*region)));
  else w->clearMask();
  if (redraw) w->update();
  return 1;
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return;
  if (erase) ui::RequestErase(w);
  if (rect != nullptr) w->update(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
  else w->update();
}

void CWnd::UpdateWindow() {
  if (QWidget* w = ui::Widget(m_hWnd)) w->repaint();
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  HICON& slot = m_icons[bigIcon ? 1 : 0];
  HICON previous = slot;
  slot = icon;
  if (QWidget* w = ui::Widget(m_hWnd); w != nullptr && icon != nullptr) w->setWindowIcon(gdi::ToQIcon(icon));
  return previous;
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
  // Only windows with a system menu in their style have one.
  if (!(m_style & WS_SYSMENU)) return nullptr;
  if (!m_systemMenu || revert) m_systemMenu = CMenu::MakeSystemMenu();
  return revert ? nullptr : m_systemMenu.get();
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) { return ui::ShowMessageBox(m_hWnd, text, caption, type); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return WindowProc(message, wParam, lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  QWidget* w = ui::Widget(m_hWnd);
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendMessage(WM_CLOSE);
      } else if ((wParam & 0xFFF0) == SC_MOVE && w != nullptr && w->windowHandle() != nullptr) {
        w->windowHandle()->startSystemMove();
      }
      return 0;
    case WM_CLOSE: DestroyWindow(); return 0;
    case EM_LIMITTEXT:
      if (auto* edit = qobject_cast<QLineEdit*>(w)) ui::SetByteLimit(edit, static_cast<int>(wParam));
      return 0;
    case EM_SETSEL:
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // (0, -1) selects everything, which is all the program asks for.
        if (lParam < 0) edit->selectAll();
        else edit->setSelection(static_cast<int>(wParam), static_cast<int>(lParam - static_cast<LPARAM>(wParam)));
      }
      return 0;
    case WM_GETFONT:
      // The font's handle, as the platform answers.
      return reinterpret_cast<LRESULT>(w != nullptr ? gdi::FontHandleOf(w->font()) : nullptr);
    case WM_SETICON: return 0;
    default:
      // Messages that stand for a toolkit event: the toolkit's own handling runs after this.
      ui::LeaveToToolkit(m_hWnd, message);
      return 0;
  }
}

namespace ui::backend {

DWORD StyleOf(HWND h) { return Widget(h)->property("brimlock.style").toUInt(); }
UINT IdOf(HWND h) { return Widget(h)->property("brimlock.id").toUInt(); }
void Destroy(HWND h) { delete Widget(h); }

HWND FrontWindow() {
  QWidget* front = QApplication::activeModalWidget();
  if (front == nullptr && AfxGetMainWnd() != nullptr) return AfxGetMainWnd()->m_hWnd;
  return Handle(front);
}

}  // namespace ui::backend
