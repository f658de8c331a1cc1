#include "platform/ui/CWnd.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractButton>
#include <QWindow>

#include <bit>
#include <unordered_map>
#include <utility>

#include "platform/gdi/qt_bridge.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/bridge.h"
#include "platform/ui/edit_limit.h"
#include "platform/ui/messagebox.h"

namespace {
// Objects made for widgets that no member object was attached to, kept until the widget goes.
std::unordered_map<QWidget*, std::unique_ptr<CWnd>>& Temporaries() {
  static std::unordered_map<QWidget*, std::unique_ptr<CWnd>> map;
  return map;
}
}  // namespace

// A widget going away leaves its object without a window, and a temporary object goes with it.
void AfxDetachDestroyed(CWnd* object) { object->m_hWnd = nullptr; }
void AfxForgetTemporary(QWidget* w) { Temporaries().erase(w); }

CWnd::CWnd() = default;

CWnd::~CWnd() { Detach(); }

CWnd* CWnd::FromHandle(HWND hWnd) {
  QWidget* w = ui::Widget(hWnd);
  if (w == nullptr) return nullptr;
  if (CWnd* attached = ui::Attached(w)) return attached;
  auto& temps = Temporaries();
  auto made = std::make_unique<CWnd>();
  CWnd* raw = made.get();
  raw->Attach(hWnd);
  temps[w] = std::move(made);
  return raw;
}

void CWnd::Attach(HWND hWnd) {
  Detach();
  QWidget* w = ui::Widget(hWnd);
  m_hWnd = hWnd;
  m_style = w->property("brimlock.style").toUInt();
  m_id = w->property("brimlock.id").toUInt();
  // A temporary object gives way to the member object attached later.
  CWnd* previous = ui::Attached(w);
  if (previous != nullptr && previous != this) previous->m_hWnd = nullptr;
  Temporaries().erase(w);
  ui::SetAttached(w, this);
}

void CWnd::Detach() {
  if (m_hWnd == nullptr) return;
  QWidget* w = ui::Widget(m_hWnd);
  if (ui::Attached(w) == this) ui::SetAttached(w, nullptr);
  m_hWnd = nullptr;
}

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

int CWnd::GetWindowText(LPSTR buffer, int maxCount) const {
  if (buffer == nullptr || maxCount <= 0) return 0;
  CString text;
  GetWindowText(text);
  // Cut to the buffer, NUL included, as the platform does.
  int n = std::min(text.GetLength(), maxCount - 1);
  std::copy_n(text.bytes().data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

int CWnd::GetWindowTextLength() const {
  CString text;
  GetWindowText(text);
  return text.GetLength();
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
    if (cw != nullptr && cw->property("brimlock.id").isValid() &&
        cw->property("brimlock.id").toInt() == id) {
      return FromHandle(ui::Handle(cw));
    }
  }
  return nullptr;
}

int CWnd::GetDlgCtrlID() const { return static_cast<int>(m_id); }

CWnd* CWnd::GetParent() const {
  QWidget* w = ui::Widget(m_hWnd);
  return w == nullptr ? nullptr : FromHandle(ui::Handle(w->parentWidget()));
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
  if (w == nullptr) return nullptr;
  if (!m_font) m_font = std::make_unique<CFont>();
  gdi::SetQFont(*m_font, w->font());
  return m_font.get();
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
  if (erase) m_eraseRequested = true;
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

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
  return ui::ShowMessageBox(ui::Widget(m_hWnd), text, caption, type);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return WindowProc(message, wParam, lParam);
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  CWnd* item = parent ? parent->GetDlgItem(static_cast<int>(id)) : nullptr;
  if (item == nullptr || item == this) return FALSE;
  Attach(item->m_hWnd);
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  QWidget* w = ui::Widget(m_hWnd);
  if (w == nullptr) return FALSE;
  // The application forgets a main window that is gone.
  if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  Detach();
  delete w;
  return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  Current saved = m_current;
  bool savedToolkit = m_toolkitDefault;
  m_current = {message, wParam, lParam};
  m_toolkitDefault = false;
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  m_lastToolkitDefault = m_toolkitDefault;
  m_current = saved;
  m_toolkitDefault = savedToolkit;
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  if (message == WM_COMMAND) return OnCommand(wParam, lParam);
  const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
  if (e == nullptr) return FALSE;
  switch (e->nSig) {
    case AfxSig_vv:
      (this->*(e->pfn))();
      break;
    case AfxSig_vwl:
      (this->*std::bit_cast<void (CCmdTarget::*)(UINT, LPARAM)>(e->pfn))(static_cast<UINT>(wParam), lParam);
      break;
    case AfxSig_hv:
      *result = reinterpret_cast<LRESULT>((this->*std::bit_cast<HCURSOR (CCmdTarget::*)()>(e->pfn))());
      break;
    case AfxSig_vwp:
      (this->*std::bit_cast<void (CCmdTarget::*)(UINT, CPoint)>(e->pfn))(
          static_cast<UINT>(wParam), CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      break;
    case AfxSig_lwl:
      *result = (this->*std::bit_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(e->pfn))(wParam, lParam);
      break;
    case AfxSig_bD:
      // wParam carries the device context's handle; the handler gets its wrapper.
      *result = (this->*std::bit_cast<BOOL (CCmdTarget::*)(CDC*)>(e->pfn))(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
      break;
    case AfxSig_end:
      return FALSE;
  }
  return TRUE;
}

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
    case WM_CLOSE:
      DestroyWindow();
      return 0;
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
      return reinterpret_cast<LRESULT>(GetFont());
    case WM_SETICON:
      return 0;
    default:
      // Messages that stand for a toolkit event: the toolkit's own handling runs after this.
      m_toolkitDefault = true;
      return 0;
  }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
  return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

BOOL CWnd::OnCmdMsg(UINT id, int code) { return CCmdTarget::OnCmdMsg(id, code); }

LRESULT CWnd::Default() {
  return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

bool CWnd::TakeToolkitDefault() { return std::exchange(m_lastToolkitDefault, false); }

bool CWnd::TakeEraseRequest() { return std::exchange(m_eraseRequested, false); }

void CWnd::OnSysCommand(UINT /*id*/, LPARAM /*param*/) { Default(); }
void CWnd::OnPaint() { Default(); }
