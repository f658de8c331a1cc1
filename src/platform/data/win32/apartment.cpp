// The platform's apartment, entered and left by its own CoInitialize and CoUninitialize.
// The ODBC environment is made for the first object and lives as long as any object.
#include "platform/data/data_backend.h"

bool CoIsInitialized() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  return CoGetApartmentType(&type, &qualifier) == S_OK;
}

std::shared_ptr<odbc::Environment> com_runtime::Environment() {
  // One GUI thread creates the objects, so the shared environment needs no lock.
  static std::weak_ptr<odbc::Environment> shared;
  if (!CoIsInitialized()) return nullptr;
  std::shared_ptr<odbc::Environment> environment = shared.lock();
  if (environment == nullptr) {
    environment = std::make_shared<odbc::Environment>();
    shared = environment;
  }
  return environment;
}
