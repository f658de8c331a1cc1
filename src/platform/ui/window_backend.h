#pragma once
// The seam between the shared window core (message maps, WindowProc, data exchange, the
// dialog's run: CWnd.cpp, CDialog.cpp, CWinApp.cpp, ddx.cpp, msgmap.cpp) and the toolkit
// below it: Qt widgets on Linux (qt/), the platform's real windows on Windows (win32/),
// twins under the same file names. A handle becomes a window in one place, the handle map
// in CWnd.cpp. Every backend supplies, with the same meaning on both platforms:
//
//   this header's calls     AttachedTo and WindowGone are the core's; backend::StyleOf,
//                           IdOf, Destroy and FrontWindow the backend's
//   CWnd (window.cpp)       SetWindowText, GetWindowText, EnableWindow, IsWindowEnabled,
//                           ShowWindow, IsWindowVisible, SetFocus, GetFocus, GetDlgItem,
//                           GetParent, IsIconic, GetClientRect, GetFont, ModifyStyle,
//                           SetWindowRgn, InvalidateRect, UpdateWindow, SetIcon,
//                           GetSystemMenu, MessageBox, SendMessage, DefWindowProc
//   controls (controls.cpp) CButton::GetCheck, SetCheck; CComboBox::GetCount, GetCurSel,
//                           GetLBText, InsertString, SetCurSel; CEdit::GetLimitText,
//                           SetReadOnly; the edit's byte limit (edit_limit.cpp)
//   CMenu (menu.cpp)        AppendMenu, GetMenuItemCount, GetMenuItemID, GetMenuState,
//                           GetMenuString, Track
//   CPaintDC (paint_dc.cpp) the constructor and destructor: a paint's device context
//   CDialog (dialog.cpp)    CreateFromTemplate, RunModalLoop, EndModalLoop
//   the application (app.cpp) CWinApp::LoadIcon, AfxWinInit, AfxWinMain
//   message boxes (messagebox.cpp) ShowMessageBox
//
// Messages mean what they mean on Windows (WM_GETFONT answers the font's handle, for one):
// the core never asks which toolkit it runs on. State only one toolkit needs (Qt's font
// handles, a pending erase, whether an event was left to the toolkit) is that backend's
// own, never CWnd's.
#include "platform/ui/winuser.h"

class CWnd;

namespace ui {

// The object attached to a window, or null.
CWnd* AttachedTo(HWND h);
// The backend tells the core that the window behind `h` is gone: its object loses the
// handle, and a temporary object made for it goes too.
void WindowGone(HWND h);

namespace backend {
// What the core reads of a window when an object attaches to it.
DWORD StyleOf(HWND h);
UINT IdOf(HWND h);
// Destroys the window and its children; the core has detached its object already.
void Destroy(HWND h);
// The window a box without an owner of its own should belong to: the one in front.
HWND FrontWindow();
}  // namespace backend

}  // namespace ui
