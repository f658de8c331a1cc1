#pragma once
// The seam between the shared window core (message maps, WindowProc, data exchange, the
// dialog's run: CWnd.cpp, CDialog.cpp, CWinApp.cpp, ddx.cpp, msgmap.cpp) and the toolkit
// below it: Qt widgets on Linux (qt/), the platform's real windows on Windows (win32/),
// twins under the same file names. A handle becomes a window in one place, the handle map
// in CWnd.cpp. Every backend supplies, with the same meaning on both platforms, what
// seam::kSupplied below lists: this header's backend calls, the CWnd members that reach a
// window (window.cpp), the controls' (controls.cpp, and the edit's byte limit in
// edit_limit.cpp), the menu's (menu.cpp), the application's (app.cpp) and message boxes
// (messagebox.cpp); and, which no table can name, a paint's device context (CPaintDC's
// constructor and destructor, paint_dc.cpp) and the dialog's private creation and run
// (dialog.cpp), which CDialog.cpp calls.
//
// Messages mean what they mean on Windows (WM_GETFONT answers the font's handle, for one):
// the core never asks which toolkit it runs on. State only one toolkit needs (Qt's font
// handles, a pending erase, whether an event was left to the toolkit) is that backend's
// own, never CWnd's.
#include <tuple>

#include "platform/ui/afxwin.h"
#include "platform/ui/messagebox.h"
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

namespace seam {
// Everything a platform supplies that can be named by address. CWnd.cpp keeps this table, so a backend that lacks one
// fails to link on its own platform.
inline const auto kSupplied = std::make_tuple(
    &backend::StyleOf, &backend::IdOf, &backend::Destroy, &backend::FrontWindow,
    // window.cpp
    &CWnd::SetWindowText, static_cast<void (CWnd::*)(CString&) const>(&CWnd::GetWindowText),
    static_cast<int (CWnd::*)(LPSTR, int) const>(&CWnd::GetWindowText), &CWnd::EnableWindow, &CWnd::IsWindowEnabled,
    &CWnd::ShowWindow, &CWnd::IsWindowVisible, &CWnd::SetFocus, &CWnd::GetFocus, &CWnd::GetDlgItem, &CWnd::IsIconic,
    &CWnd::GetClientRect, &CWnd::GetFont, &CWnd::ModifyStyle, &CWnd::SetWindowRgn, &CWnd::InvalidateRect,
    &CWnd::UpdateWindow, &CWnd::SetIcon, &CWnd::GetSystemMenu, &CWnd::MessageBox, &CWnd::SendMessage,
    // controls.cpp
    &CButton::GetCheck, &CButton::SetCheck, &CComboBox::GetCount, &CComboBox::GetCurSel, &CComboBox::GetLBText,
    &CComboBox::InsertString, &CComboBox::SetCurSel, &CEdit::GetLimitText,
    // menu.cpp
    &CMenu::AppendMenu, &CMenu::GetMenuItemCount, &CMenu::GetMenuItemID, &CMenu::GetMenuState, &CMenu::GetMenuString,
    &CMenu::Track,
    // app.cpp and messagebox.cpp
    &CWinApp::LoadIcon, &AfxWinInit, &AfxWinMain, &ShowMessageBox);
}  // namespace seam

}  // namespace ui
