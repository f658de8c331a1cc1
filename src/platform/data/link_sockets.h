#pragma once
// The sockets a driver holds for one connection, found as the process's sockets that a
// connect added. Shutting them down wakes a driver that waits on a server that stopped
// answering: its read ends and it reports the link lost. The descriptors stay the driver's.
#include <set>

namespace odbc {

using SocketSet = std::set<unsigned long>;  // socket inodes, stable while the socket lives

SocketSet OpenSockets();
SocketSet Added(const SocketSet& before, const SocketSet& after);
void ShutDown(const SocketSet& sockets);

}  // namespace odbc
