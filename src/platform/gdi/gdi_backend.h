#pragma once
// The seam of the drawing layer. Shared (objects.cpp, object_registry.h): the framework's
// object classes. Each platform supplies the rest, in qt/ over QPainter and in win32/ over
// the platform's GDI, twins under the same file names, with dc.h's pixel rules holding on
// both: device contexts (dc.cpp), text in code page 936 (text.cpp) and the list of the
// program's objects by handle (objects.cpp: in the handle's own slot over the toolkit, in a
// table of the platform's handles on Windows; no allocation or lock per object). Object
// calls and system metrics are Windows' own; qt/ builds them (objects.cpp, metrics.cpp),
// and its bridge.h is the window layer's way in to the toolkit.
#include <tuple>

#include "platform/gdi/afxgdi.h"
#include "platform/gdi/object_registry.h"

namespace gdi::seam {

// Everything a platform supplies, by address. objects.cpp keeps this table, so a backend
// that lacks one fails to link on its own platform.
inline const auto kSupplied = std::make_tuple(
    // dc.cpp
    &CDC::FromHandle, &CDC::SaveDC, &CDC::RestoreDC, static_cast<CPen* (CDC::*)(CPen*)>(&CDC::SelectObject),
    static_cast<CFont* (CDC::*)(CFont*)>(&CDC::SelectObject), &CDC::SetBkMode, &CDC::SetTextColor,
    static_cast<CPoint (CDC::*)(int, int)>(&CDC::MoveTo), static_cast<BOOL (CDC::*)(int, int)>(&CDC::LineTo),
    static_cast<BOOL (CDC::*)(int, int, int, int, int, int)>(&CDC::RoundRect),
    static_cast<BOOL (CDC::*)(LPCRECT, POINT)>(&CDC::RoundRect), &CDC::FillRect, &CDC::DrawFocusRect,
    static_cast<BOOL (CDC::*)(int, int, HICON)>(&CDC::DrawIcon), &DrawFocusRect, &DrawIcon,
    // text.cpp
    &CDC::GetTextExtent, &CDC::DrawState, &GetTextExtentPoint32A, &DrawStateA,
    // objects.cpp
    &Register, &Unregister, &Registered, &CreatePen, &CreateSolidBrush, &CreateRoundRectRgn, &DeleteObject,
    // metrics.cpp
    &GetSystemMetrics);

}  // namespace gdi::seam
