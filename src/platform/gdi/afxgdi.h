#pragma once
// Everything the program draws with: include this one header.
#include "platform/gdi/dc.h"
#include "platform/gdi/gdiobjects.h"
#include "platform/gdi/gditypes.h"
#include "platform/gdi/metrics.h"
