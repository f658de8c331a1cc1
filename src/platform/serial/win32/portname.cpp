#include "platform/serial/portname.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace serial {

std::optional<std::string> DevicePathForName(const char* name) {
  if (name == nullptr || *name == '\0') return std::nullopt;
  // COM1 to COM9 open by their plain names too; the device namespace's form opens every one.
  const bool com = std::strlen(name) > 3 && std::tolower(static_cast<unsigned char>(name[0])) == 'c' &&
                   std::tolower(static_cast<unsigned char>(name[1])) == 'o' &&
                   std::tolower(static_cast<unsigned char>(name[2])) == 'm';
  const char* digits = name + 3;
  if (com && *digits >= '1' && *digits <= '9' && std::strlen(digits) <= 3 &&
      std::strspn(digits, "0123456789") == std::strlen(digits) && std::atoi(digits) <= 256)
    return std::string("\\\\.\\COM") + digits;
  return std::string(name);
}

}  // namespace serial
