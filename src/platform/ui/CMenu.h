#pragma once
// A window's system menu: items appended by the program, shown on request.
#include <memory>
#include <vector>

#include "platform/text/CString.h"
#include "platform/ui/winuser.h"

class CWnd;

class CMenu {
 public:
  // On Windows the menu is the platform's (a window's system menu); elsewhere it stays null
  // and the items are kept here.
  HMENU m_hMenu = nullptr;

  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int pos) const;
  int GetMenuString(UINT id, CString& text) const;
  UINT GetMenuState(int pos) const;

  // The platform's system menu of a dialog: Move and Close.
  static std::unique_ptr<CMenu> MakeSystemMenu();
  // Shows the menu at a screen position and returns the chosen command, 0 for none.
  UINT Track(CWnd* owner, int x, int y) const;

 private:
  struct Item {
    UINT flags;
    UINT id;
    CString text;
  };
  std::vector<Item> m_items;
};
