#include "platform/data/driver_environment.h"

#include <cstdlib>

namespace odbc {

void PrepareDriverEnvironment() {
  // An operator's own choice, even an empty one, stays.
  setenv("PGCLIENTENCODING", "UTF8", 0);
}

}  // namespace odbc
