// The apartment: entered and left by the program, holding the ODBC environment.
#include "platform/data/data_backend.h"

namespace {
// The program has one GUI thread and so one apartment.
int g_initializations = 0;
std::shared_ptr<odbc::Environment> g_environment;
}  // namespace

HRESULT CoInitialize(void* /*reserved*/) {
  if (g_initializations > 0) {
    ++g_initializations;
    return S_FALSE;
  }
  g_environment = std::make_shared<odbc::Environment>();
  g_initializations = 1;
  return S_OK;
}

void CoUninitialize() {
  if (g_initializations == 0) return;
  if (--g_initializations == 0) g_environment.reset();
}

bool CoIsInitialized() { return g_initializations > 0; }

std::shared_ptr<odbc::Environment> com_runtime::Environment() { return g_environment; }
