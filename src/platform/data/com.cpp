#include "platform/data/com.h"

#include "platform/data/com_runtime.h"
#include "platform/data/connection.h"
#include "platform/data/recordset.h"

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
  try {
    g_environment = std::make_shared<odbc::Environment>();
  } catch (const odbc::Error&) {
    return E_OUTOFMEMORY;
  }
  g_initializations = 1;
  return S_OK;
}

void CoUninitialize() {
  if (g_initializations == 0) return;
  if (--g_initializations == 0) g_environment.reset();
}

bool CoIsInitialized() { return g_initializations > 0; }

std::shared_ptr<odbc::Environment> com_runtime::Environment() { return g_environment; }

ULONG ComObject::Release() {
  ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

HRESULT com_detail::CreateObject(const CLSID& clsid, void* outer, const CLSID& wanted,
                                 ComObject** object) {
  *object = nullptr;
  if (!CoIsInitialized()) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (clsid != CLSID_Connection && clsid != CLSID_Recordset) return REGDB_E_CLASSNOTREG;
  if (clsid != wanted) return E_NOINTERFACE;
  if (clsid == CLSID_Connection) *object = new Connection();
  else *object = new Recordset();
  return S_OK;
}
