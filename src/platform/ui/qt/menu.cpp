// The system menu as the Linux desktop shows it: the items kept here, shown as a Qt menu.
#include "platform/ui/CMenu.h"

#include <QMenu>

#include "platform/ui/qt/bridge.h"

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
  m_items.push_back({flags, static_cast<UINT>(id), CString(text)});
  return TRUE;
}

int CMenu::GetMenuItemCount() const { return static_cast<int>(m_items.size()); }

UINT CMenu::GetMenuItemID(int pos) const {
  if (pos < 0 || pos >= GetMenuItemCount()) return static_cast<UINT>(-1);
  return (m_items[pos].flags & MF_SEPARATOR) ? 0 : m_items[pos].id;
}

UINT CMenu::GetMenuState(int pos) const {
  return pos >= 0 && pos < GetMenuItemCount() ? m_items[pos].flags : static_cast<UINT>(-1);
}

int CMenu::GetMenuString(UINT id, CString& text) const {
  for (const Item& item : m_items) {
    if (!(item.flags & MF_SEPARATOR) && item.id == id) {
      text = item.text;
      return text.GetLength();
    }
  }
  text.Empty();
  return 0;
}

std::unique_ptr<CMenu> CMenu::MakeSystemMenu() {
  auto menu = std::make_unique<CMenu>();
  menu->AppendMenu(MF_STRING, SC_MOVE, "移动(&M)");
  menu->AppendMenu(MF_STRING, SC_CLOSE, "关闭(&C)\tAlt+F4");
  return menu;
}

UINT CMenu::Track(CWnd* owner, int x, int y) const {
  QMenu menu(owner ? ui::Widget(owner->m_hWnd) : nullptr);
  for (const Item& item : m_items) {
    if (item.flags & MF_SEPARATOR) {
      menu.addSeparator();
    } else {
      QString text = ui::ToQt(item.text);
      QString shortcut;
      if (qsizetype tab = text.indexOf(u'\t'); tab >= 0) {
        shortcut = text.mid(tab + 1);
        text = text.left(tab);
      }
      QAction* action = menu.addAction(text);
      if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
      action->setData(item.id);
    }
  }
  QAction* chosen = menu.exec(QPoint(x, y));
  return chosen ? chosen->data().toUInt() : 0;
}
