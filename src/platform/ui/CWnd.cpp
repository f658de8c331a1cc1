// The toolkit-neutral core of a window: which object a handle belongs to, the message path
// (map, then default handling) and the calls built on other calls. The toolkit's side is in
// qt/window.cpp (Linux) and win32/window.cpp (Windows).
#include "platform/ui/CWnd.h"

#include <algorithm>
#include <bit>
#include <unordered_map>
#include <utility>

#include "platform/ui/CMenu.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/window_backend.h"

namespace {

// Kept whole: every platform call the layer relies on must be there when it links.
[[gnu::used]] const auto* const kSeam = &ui::seam::kSupplied;
// Every window's attached object, member or temporary.
std::unordered_map<HWND, CWnd*>& Attachments() {
  static std::unordered_map<HWND, CWnd*> map;
  return map;
}
// Objects made for windows that no member object was attached to, kept until the window goes.
std::unordered_map<HWND, std::unique_ptr<CWnd>>& Temporaries() {
  static std::unordered_map<HWND, std::unique_ptr<CWnd>> map;
  return map;
}
}  // namespace

namespace ui {

CWnd* AttachedTo(HWND h) {
  auto& map = Attachments();
  auto it = map.find(h);
  return it == map.end() ? nullptr : it->second;
}

void WindowGone(HWND h) {
  if (CWnd* object = AttachedTo(h)) object->m_hWnd = nullptr;
  Attachments().erase(h);
  Temporaries().erase(h);
}

}  // namespace ui

CWnd::CWnd() = default;

CWnd::~CWnd() { Detach(); }

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (hWnd == nullptr) return nullptr;
  if (CWnd* attached = ui::AttachedTo(hWnd)) return attached;
  auto made = std::make_unique<CWnd>();
  CWnd* raw = made.get();
  raw->Attach(hWnd);
  Temporaries()[hWnd] = std::move(made);
  return raw;
}

void CWnd::Attach(HWND hWnd) {
  Detach();
  m_hWnd = hWnd;
  m_style = ui::backend::StyleOf(hWnd);
  m_id = ui::backend::IdOf(hWnd);
  // A temporary object gives way to the member object attached later.
  CWnd* previous = ui::AttachedTo(hWnd);
  if (previous != nullptr && previous != this) previous->m_hWnd = nullptr;
  Attachments()[hWnd] = this;
  Temporaries().erase(hWnd);
}

void CWnd::Detach() {
  if (m_hWnd == nullptr) return;
  if (ui::AttachedTo(m_hWnd) == this) Attachments().erase(m_hWnd);
  m_hWnd = nullptr;
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

int CWnd::GetDlgCtrlID() const { return static_cast<int>(m_id); }

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  CWnd* item = parent ? parent->GetDlgItem(static_cast<int>(id)) : nullptr;
  if (item == nullptr || item == this) return FALSE;
  Attach(item->m_hWnd);
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  HWND h = m_hWnd;
  if (h == nullptr) return FALSE;
  // The application forgets a main window that is gone.
  if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  Detach();
  ui::backend::Destroy(h);
  return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A handler may send this window other messages: Default() still means its own.
  Current saved = std::exchange(m_current, {message, wParam, lParam});
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  m_current = saved;
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  if (message == WM_COMMAND) return OnCommand(wParam, lParam);
  const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
  if (e == nullptr) return FALSE;
  switch (e->nSig) {
    case AfxSig_vv: (this->*(e->pfn))(); break;
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
      *result = (this->*std::bit_cast<BOOL (CCmdTarget::*)(CDC*)>(e->pfn))(
          CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
      break;
    case AfxSig_end: return FALSE;
  }
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM /*lParam*/) { return OnCmdMsg(LOWORD(wParam), HIWORD(wParam)); }

BOOL CWnd::OnCmdMsg(UINT id, int code) { return CCmdTarget::OnCmdMsg(id, code); }

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

void CWnd::OnSysCommand(UINT /*id*/, LPARAM /*param*/) { Default(); }
void CWnd::OnPaint() { Default(); }
