#pragma once
// The UUCP lock file that serial programs on Linux agree on: /var/lock/LCK..<device>,
// holding the owner's pid as ten right-aligned ASCII digits and a newline.
#include <string>

namespace serial {

enum class LockResult {
  Taken,        // the lock file is ours; release it at close
  Held,         // a live process holds the port, or the lock path is no lock file at all
  Unavailable,  // the lock directory cannot be written; the other mechanisms still apply
  Unwritten,    // the lock file was made but its pid could not be written (a full disk): the
                // port is refused, since nobody could tell whose lock it is
};

// deviceName is the basename of the resolved device ("ttyUSB0", "5" for /dev/pts/5).
// On Taken, lockPath names the file to hand to ReleaseUucpLock.
//
// Answers at once and never follows a link. Anything but a regular file at the lock path
// (a FIFO, a directory, a device, a symbolic link) is Held: nobody can say who holds the
// port, so it is refused as a held one is, and the thing is left where it is. So is a lock
// file we may not read (another account's, mode 0600). A lock naming our own pid is stale
// (a restart that got the dead owner's pid) unless this process holds it through an open
// handle.
LockResult TakeUucpLock(const std::string& deviceName, std::string& lockPath);

// Removes the lock file if it is still a regular file naming this process.
void ReleaseUucpLock(const std::string& lockPath);

}  // namespace serial
