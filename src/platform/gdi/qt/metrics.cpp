#include "platform/gdi/gdi_backend.h"

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}
