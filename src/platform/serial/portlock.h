#pragma once
// The UUCP lock file that serial programs on Linux agree on: /var/lock/LCK..<device>,
// holding the owner's pid as ten right-aligned ASCII digits and a newline.
#include <string>

namespace serial {

enum class LockResult {
  Taken,        // the lock file is ours; release it at close
  Held,         // a live process holds the port
  Unavailable,  // the lock directory cannot be written; the other mechanisms still apply
};

// deviceName is the basename of the resolved device ("ttyUSB0", "5" for /dev/pts/5).
// On Taken, lockPath names the file to hand to ReleaseUucpLock.
LockResult TakeUucpLock(const std::string& deviceName, std::string& lockPath);

// Removes the lock file if it still names this process.
void ReleaseUucpLock(const std::string& lockPath);

}  // namespace serial
