#include "platform/data/data_backend.h"

// Windows drivers end a login at its timeout and a statement at SQLCancel, so the
// watchdog never needs to cut a link here: no sockets are ever named.
namespace odbc {

SocketSet OpenSockets() { return {}; }
SocketSet Added(const SocketSet&, const SocketSet&) { return {}; }
void ShutDown(const SocketSet&) {}

}  // namespace odbc
