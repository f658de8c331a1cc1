#include "platform/data/com.h"

#include "platform/data/connection.h"
#include "platform/data/data_backend.h"
#include "platform/data/odbc.h"
#include "platform/data/recordset.h"

namespace {
// Kept whole: every platform call the layer relies on must be there when it links.
[[gnu::used]] const auto* const kSeam = &odbc::seam::kSupplied;
}  // namespace

ULONG ComObject::Release() {
  ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

HRESULT com_detail::CreateObject(const CLSID& clsid, void* outer, const CLSID& wanted, ComObject** object) {
  *object = nullptr;
  if (!CoIsInitialized()) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (clsid != CLSID_Connection && clsid != CLSID_Recordset) return REGDB_E_CLASSNOTREG;
  if (clsid != wanted) return E_NOINTERFACE;
  try {
    if (clsid == CLSID_Connection) *object = new Connection();
    else *object = new Recordset();
  } catch (const odbc::Error&) {  // no ODBC environment to be had
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
