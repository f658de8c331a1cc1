#pragma once
// The common-controls calls the program makes beyond InitCommonControlsEx: asking for the
// hover and leave notices of a window.
#include "platform/ui/winuser.h"

#if defined(_WIN32)
#include <commctrl.h>
#else

struct TRACKMOUSEEVENT {
  DWORD cbSize;  // sizeof(TRACKMOUSEEVENT); any other value fails the request
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;  // milliseconds, or HOVER_DEFAULT
};
using LPTRACKMOUSEEVENT = TRACKMOUSEEVENT*;

#define TME_HOVER 0x00000001
#define TME_LEAVE 0x00000002
#define HOVER_DEFAULT 0xFFFFFFFF

// TME_HOVER: WM_MOUSEHOVER once, when the pointer has rested dwHoverTime inside the window;
// the hover request ends as it fires. TME_LEAVE: WM_MOUSELEAVE when the pointer leaves the
// window, which ends every request for it. Both notices go through the window's message
// map. FALSE for a wrong size, flags other than these two, or a window with no object
// attached to receive the notices.
BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack);
#endif
