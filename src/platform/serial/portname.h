#pragma once
// Which device a port name given to CreateFileA stands for: what a message or a list of
// ports shows beside the name. Each platform's backend maps it as its CreateFileA does.
#include <optional>
#include <string>

namespace serial {

// Linux: "comN" (any case, N = 1..256 without leading zero) -> $BRIMLOCK_COMN when set and
// not empty, else /dev/ttyS<N-1>; a name starting with '/' -> itself; anything else -> none.
// Windows: "comN" (the same spellings) -> \\.\COMN; any other name -> itself, a path the
// platform opens as it is.
std::optional<std::string> DevicePathForName(const char* name);

}  // namespace serial
