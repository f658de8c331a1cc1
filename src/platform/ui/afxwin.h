#pragma once
// Everything the program's windows use of the window stand-in.
#include "platform/gdi/afxgdi.h"
#include "platform/text/CString.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CPaintDC.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/controls.h"
#include "platform/ui/ddx.h"
#include "platform/ui/dlgtemplate.h"
#include "platform/ui/msgmap.h"
#include "platform/ui/winuser.h"
