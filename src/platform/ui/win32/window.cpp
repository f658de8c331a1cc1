// The Windows side of a window: a CWnd's calls on the real window behind its handle, and
// the window procedure that puts each window made from a template on the message path.
#include "platform/ui/CWnd.h"

#include <unordered_map>

#include "platform/text/win32/wide.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/controls.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/win32/native.h"
#include "platform/ui/window_backend.h"

namespace ui::win32 {
namespace {

struct Hooked {
  WNDPROC original;
  bool edit;
};

std::unordered_map<HWND, Hooked>& Hooks() {
  static std::unordered_map<HWND, Hooked> map;
  return map;
}

LRESULT CALLBACK HookProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    LRESULT result = CallNative(h, message, wParam, lParam);
    Hooks().erase(h);
    WindowGone(h);
    return result;
  }
  if (CWnd* object = AttachedTo(h)) return object->WindowProc(message, wParam, lParam);
  return CallNative(h, message, wParam, lParam);
}

}  // namespace

std::wstring Wide(LPCSTR cp936) { return text::Cp936ToWide(cp936 ? cp936 : ""); }

CString Narrow(std::wstring_view utf16) { return CString(text::WideToCp936(utf16)); }

std::wstring TextOf(HWND h) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool HasClass(HWND h, const wchar_t* name) {
  wchar_t className[16] = {};
  GetClassNameW(h, className, 16);
  return CompareStringOrdinal(className, -1, name, -1, TRUE) == CSTR_EQUAL;
}

void Hook(HWND h) {
  const bool edit = HasClass(h, L"Edit");
  auto original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
  Hooks()[h] = {original, edit};
  if (edit) StartByteLimit(h);
}

LRESULT CallClass(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = Hooks().find(h);
  if (it == Hooks().end()) return DefWindowProcW(h, message, wParam, lParam);
  return CallWindowProcW(it->second.original, h, message, wParam, lParam);
}

LRESULT CallNative(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = Hooks().find(h);
  LRESULT result = 0;
  if (it != Hooks().end() && it->second.edit && EditMessage(h, message, wParam, lParam, &result)) return result;
  return CallClass(h, message, wParam, lParam);
}

}  // namespace ui::win32

using ui::win32::Narrow;
using ui::win32::TextOf;
using ui::win32::Wide;

void CWnd::SetWindowText(LPCSTR text) {
  if (m_hWnd != nullptr) ::SetWindowTextW(m_hWnd, Wide(text).c_str());
}

void CWnd::GetWindowText(CString& text) const { text = Narrow(m_hWnd ? TextOf(m_hWnd) : std::wstring()); }

BOOL CWnd::EnableWindow(BOOL enable) { return m_hWnd ? ::EnableWindow(m_hWnd, enable) : FALSE; }
BOOL CWnd::IsWindowEnabled() const { return m_hWnd && ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::ShowWindow(int cmdShow) { return m_hWnd ? ::ShowWindow(m_hWnd, cmdShow) : FALSE; }
BOOL CWnd::IsWindowVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
CWnd* CWnd::SetFocus() {
  // A null handle would take the focus from every window.
  return m_hWnd ? FromHandle(::SetFocus(m_hWnd)) : GetFocus();
}
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::GetDlgItem(int id) const { return m_hWnd ? FromHandle(::GetDlgItem(m_hWnd, id)) : nullptr; }
BOOL CWnd::IsIconic() const { return m_hWnd && ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT rect) const {
  if (m_hWnd == nullptr || !::GetClientRect(m_hWnd, rect)) *rect = RECT{0, 0, 0, 0};
}

CFont* CWnd::GetFont() const {
  return m_hWnd ? CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0))) : nullptr;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  m_style = (m_style & ~remove) | add;
  if (m_hWnd == nullptr) return FALSE;
  // A button reads its type at every paint, so BS_OWNERDRAW takes effect with the next one.
  DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((style & ~remove) | add));
  if (flags != 0) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  }
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  return TRUE;
}

int CWnd::SetWindowRgn(CRgn* region, BOOL redraw) {
  if (m_hWnd == nullptr) return 0;
  // The window owns the region from now on, and frees it itself.
  HRGN owned = region != nullptr ? static_cast<HRGN>(region->Detach()) : nullptr;
  return ::SetWindowRgn(m_hWnd, owned, redraw);
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
  if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::UpdateWindow() {
  if (m_hWnd != nullptr) ::UpdateWindow(m_hWnd);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  m_icons[bigIcon ? 1 : 0] = icon;
  if (m_hWnd == nullptr) return nullptr;
  return reinterpret_cast<HICON>(
      ::SendMessageW(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
  // Only windows with a system menu in their style have one.
  if (!(m_style & WS_SYSMENU) || m_hWnd == nullptr) return nullptr;
  HMENU menu = ::GetSystemMenu(m_hWnd, revert);
  if (revert) return nullptr;
  if (!m_systemMenu) m_systemMenu = std::make_unique<CMenu>();
  m_systemMenu->m_hMenu = menu;
  return m_systemMenu.get();
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) { return ui::ShowMessageBox(m_hWnd, text, caption, type); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd ? ::SendMessageW(m_hWnd, message, wParam, lParam) : 0;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_hWnd == nullptr) return 0;
  switch (message) {
    case WM_CLOSE:
      // Through the object, so that its own DestroyWindow runs.
      DestroyWindow();
      return 0;
    case WM_DRAWITEM: {
      // An owner-drawn button draws itself: the notice goes back to the button's object.
      auto* item = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
      if (auto* button = dynamic_cast<CButton*>(ui::AttachedTo(item->hwndItem))) {
        button->DrawItem(item);
        return TRUE;
      }
      break;
    }
    default: break;
  }
  return ui::win32::CallNative(m_hWnd, message, wParam, lParam);
}

namespace ui::backend {

DWORD StyleOf(HWND h) { return static_cast<DWORD>(::GetWindowLongPtrW(h, GWL_STYLE)); }
UINT IdOf(HWND h) { return static_cast<UINT>(::GetDlgCtrlID(h)); }
void Destroy(HWND h) { ::DestroyWindow(h); }

HWND FrontWindow() {
  if (HWND active = ::GetActiveWindow()) return active;
  return AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
}

}  // namespace ui::backend
