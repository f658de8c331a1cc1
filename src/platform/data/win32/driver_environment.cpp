#include "platform/data/driver_environment.h"

namespace odbc {

void PrepareDriverEnvironment() {}

}  // namespace odbc
