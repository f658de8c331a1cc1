#pragma once
// The seam between the shared window core (message maps, WindowProc, data exchange, the
// dialog's run) and the toolkit below it: Qt widgets on Linux (qt_*.cpp, bridge.cpp), real
// windows on Windows (win32/*.cpp). A handle becomes a window in one place, the handle map
// in CWnd.cpp. Each backend implements these calls and, as members: CWnd's calls on the
// window itself (text, state, focus, children, geometry, style, shape, painting requests,
// icons, system menu, SendMessage, DefWindowProc, MessageBox), CDialog's CreateFromTemplate,
// RunModalLoop and EndModalLoop, and CWinApp's LoadIcon, with AfxWinInit and AfxWinMain.
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
