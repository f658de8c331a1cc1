#include "platform/serial/portname.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace serial {

std::optional<std::string> DevicePathForName(const char* name) {
  if (name == nullptr || *name == '\0') return std::nullopt;
  // A path lets a user or a test name a device directly, as "\\.\COM10" does on Windows.
  if (name[0] == '/') return std::string(name);
  if (strncasecmp(name, "com", 3) != 0) return std::nullopt;

  const char* digits = name + 3;
  // One spelling per port, so one port never has two environment variables.
  if (*digits < '1' || *digits > '9' || std::strlen(digits) > 3) return std::nullopt;
  int number = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    number = number * 10 + (*p - '0');
  }
  if (number > 256) return std::nullopt;

  const std::string variable = "BRIMLOCK_COM" + std::to_string(number);
  if (const char* device = std::getenv(variable.c_str()); device != nullptr && *device != '\0')
    return std::string(device);
  return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace serial
