// A menu over the platform's own (a window's system menu): the calls go to the real menu.
#include "platform/ui/CMenu.h"

#include "platform/ui/CWnd.h"
#include "platform/ui/win32/native.h"

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
  if (m_hMenu == nullptr) m_hMenu = CreatePopupMenu();
  if (flags & MF_SEPARATOR) return AppendMenuW(m_hMenu, flags, id, nullptr);
  return AppendMenuW(m_hMenu, flags, id, ui::win32::Wide(text).c_str());
}

int CMenu::GetMenuItemCount() const { return m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0; }

UINT CMenu::GetMenuItemID(int pos) const { return m_hMenu ? ::GetMenuItemID(m_hMenu, pos) : static_cast<UINT>(-1); }

UINT CMenu::GetMenuState(int pos) const {
  return m_hMenu ? ::GetMenuState(m_hMenu, static_cast<UINT>(pos), MF_BYPOSITION) : static_cast<UINT>(-1);
}

int CMenu::GetMenuString(UINT id, CString& text) const {
  wchar_t buffer[256] = {};
  int n = m_hMenu ? GetMenuStringW(m_hMenu, id, buffer, 256, MF_BYCOMMAND) : 0;
  text = ui::win32::Narrow(std::wstring_view(buffer, static_cast<size_t>(n)));
  return text.GetLength();
}

UINT CMenu::Track(CWnd* owner, int x, int y) const {
  if (m_hMenu == nullptr || owner == nullptr) return 0;
  return static_cast<UINT>(TrackPopupMenu(m_hMenu, TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner->m_hWnd, nullptr));
}
