#pragma once
// Window-manager constants and handle types, with the platform's values: the program's
// tables (templates, message maps) are written in them.
#include "platform/text/wintypes.h"

#if defined(_WIN32)
// The platform's own; only the framework's help command is the framework's.
#define ID_HELP 0xE146  // 57670
#else
struct HWND__;
using HWND = HWND__*;  // the toolkit widget behind a window, opaque to the program
struct HMENU__;
using HMENU = HMENU__*;  // never a toolkit menu: CMenu keeps its items itself

#define LOWORD(l) (static_cast<WORD>(static_cast<std::uintptr_t>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<WORD>((static_cast<std::uintptr_t>(l) >> 16) & 0xFFFF))
#define MAKEWPARAM(lo, hi) (static_cast<WPARAM>((static_cast<DWORD>(hi) << 16) | static_cast<WORD>(lo)))

// Messages
#define WM_CLOSE 0x0010
#define WM_PAINT 0x000F
#define WM_ERASEBKGND 0x0014
#define WM_QUERYDRAGICON 0x0037
#define WM_GETFONT 0x0031
#define WM_SETICON 0x0080
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_ICONERASEBKGND 0x0027
#define WM_MOUSEMOVE 0x0200
#define WM_MOUSEHOVER 0x02A1
#define WM_MOUSELEAVE 0x02A3
#define EM_LIMITTEXT 0x00C5
#define EM_SETSEL 0x00B1

// Notifications and commands
#define BN_CLICKED 0
#define IDOK 1
#define IDCANCEL 2
#define ID_HELP 0xE146  // 57670

// System commands
#define SC_MOVE 0xF010
#define SC_CLOSE 0xF060

// Window styles
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_APPWINDOW 0x00040000L
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L

// Control styles
#define BS_PUSHBUTTON 0x0L
#define BS_DEFPUSHBUTTON 0x1L
#define BS_AUTOCHECKBOX 0x3L
#define BS_GROUPBOX 0x7L
#define BS_OWNERDRAW 0xBL
#define BS_TYPEMASK 0xFL
#define ES_LEFT 0x0L
#define ES_READONLY 0x0800L
#define ES_AUTOHSCROLL 0x0080L
#define SS_LEFT 0x0L
#define SS_ICON 0x3L
#define SS_NOPREFIX 0x80L
#define CBS_DROPDOWNLIST 0x3L
#define CBS_SORT 0x100L

// Check states
#define BST_UNCHECKED 0
#define BST_CHECKED 1

// Message boxes
#define MB_OK 0x0L
#define MB_ICONHAND 0x10L
#define MB_ICONQUESTION 0x20L
#define MB_ICONEXCLAMATION 0x30L
#define MB_ICONASTERISK 0x40L
#define MB_ICONMASK 0xF0L

// Menus
#define MF_STRING 0x0L
#define MF_SEPARATOR 0x800L

// ShowWindow
#define SW_HIDE 0
#define SW_SHOW 5

// Combo box results
#define CB_ERR (-1)

// Icon sizes for WM_SETICON
#define ICON_SMALL 0
#define ICON_BIG 1

using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
#endif
