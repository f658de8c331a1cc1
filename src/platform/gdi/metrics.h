#pragma once
// The system metrics the program reads: on Windows the platform's own, elsewhere the values
// of a standard display.
#if defined(_WIN32)
#include <windows.h>
#else
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

// Edges are 2 pixels, icons 32 and small icons 16; any other index gives 0.
int GetSystemMetrics(int nIndex);
#endif
