#pragma once
// A port as the encoder operations use it, through the program's own line calls: the same
// on the Linux stand-in and on the platform's own serial driver.
#include <string>

#include "encoder/encoder_line.h"
#include "platform/serial/winserial.h"

namespace serial_test {

// What the encoder operations must set: 9600 8N1, reads (8, 8, 8), writes (3, 2).
inline COMMTIMEOUTS ProgramTimeouts() { return {8, 8, 8, 3, 2}; }

// Opens and sets up a port with the program's own calls, as every encoder operation does,
// purge included: the tests and the bench judge the program's settings, not a copy.
inline HANDLE OpenLikeProgram(const char* name) {
  HANDLE port = OpenEncoderPort(name);
  if (port != INVALID_HANDLE_VALUE) ConfigureEncoderPort(port);
  return port;
}

// One read of up to `count` bytes, as the program's poll makes it.
inline std::string ReadBytes(HANDLE port, DWORD count = 100) {
  std::string buffer(count, '\0');
  DWORD got = 0;
  ReadFile(port, buffer.data(), count, &got, nullptr);
  buffer.resize(got);
  return buffer;
}

inline BOOL WriteBytes(HANDLE port, const std::string& bytes) {
  DWORD written = 0;
  OVERLAPPED unused{};
  return WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &unused);
}

}  // namespace serial_test
