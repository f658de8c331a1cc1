#pragma once
// The seam of the drawing layer. Shared (objects.cpp, object_registry.h): the framework's
// object classes. Each platform supplies, under the same
// file names in qt/ (over QPainter) and win32/ (over the platform's GDI), the pixel rules of
// dc.h holding on both:
//
//   dc.cpp       CDC::FromHandle, SaveDC, RestoreDC, both SelectObject, SetBkMode,
//                SetTextColor, MoveTo, LineTo, both RoundRect, FillRect, DrawFocusRect,
//                DrawIcon; and the platform calls DrawFocusRect and DrawIcon
//   text.cpp     CDC::GetTextExtent and DrawState; the calls GetTextExtentPoint32A and
//                DrawStateA, reading code page 936 on both
//   objects.cpp  the list of the program's objects by handle (object_registry.h): in the
//                handle's own slot over the toolkit, in a table of the platform's handles
//                on Windows; no allocation or lock per object
//
// What Windows has itself and Qt's backend builds (qt/ only):
//
//   objects.cpp  CreatePen, CreateSolidBrush, CreateRoundRectRgn, DeleteObject
//                (gdiobjects.h): handles to records in a slab with a free list
//   metrics.cpp  GetSystemMetrics (metrics.h): a standard display's values
//   bridge.cpp   the window layer's way in (qt/bridge.h): paint contexts over a painter,
//                fonts, regions and icons as the toolkit holds them
#include "platform/gdi/afxgdi.h"
