#pragma once
// Which device a port name given to CreateFileA stands for.
#include <optional>
#include <string>

namespace serial {

// "comN" (any case, N = 1..256 without leading zero) -> $BRIMLOCK_COMN when set and not
// empty, else /dev/ttyS<N-1>; a name starting with '/' -> itself; anything else -> none.
std::optional<std::string> DevicePathForName(const char* name);

}  // namespace serial
