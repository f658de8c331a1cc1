#pragma once
// What the apartment holds for the objects created in it.
#include <memory>

#include "platform/data/odbc.h"

namespace com_runtime {
// The ODBC environment of the apartment; null outside it. Objects keep their own share, so
// one that outlives CoUninitialize still closes cleanly.
std::shared_ptr<odbc::Environment> Environment();
}  // namespace com_runtime
