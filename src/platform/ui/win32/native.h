#pragma once
// What the Windows sources of the window layer share among themselves.
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/CString.h"
#include "platform/ui/dlgtemplate.h"
#include "platform/ui/winuser.h"

namespace ui::win32 {

// Code page 936 to the W calls' UTF-16 and back.
std::wstring Wide(LPCSTR cp936);
CString Narrow(std::wstring_view utf16);

// The window's text as the W calls give it.
std::wstring TextOf(HWND h);

// Whether the window is of the named class (a predefined one: case does not matter).
bool HasClass(HWND h, const wchar_t* name);

// Puts a window made from a template on the message path: from now on its messages go to
// its attached object (if any) and then to CallNative. WM_NCDESTROY tells the core it is gone.
void Hook(HWND h);
// The window's own handling under its object: the class's procedure, with the edit's byte
// limit in front of it.
LRESULT CallNative(HWND h, UINT message, WPARAM wParam, LPARAM lParam);

// Edits count their limit in code page 936 bytes (edit_limit.cpp). StartByteLimit gives a new
// edit the platform's default; EditMessage handles the messages the limit concerns and
// returns false for every other.
void StartByteLimit(HWND edit);
bool EditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
UINT ByteLimit(HWND edit);
// The class procedure under the hook, for messages the byte limit passes on.
LRESULT CallClass(HWND h, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog manager's binary template (DLGTEMPLATEEX) for a template of the program's.
std::vector<WORD> DialogRecord(const DLGTEMPLATE& t);

}  // namespace ui::win32
