#include "platform/text/environment.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/text/codepage.h"

namespace text {

std::optional<std::string> EnvironmentSetting(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return Utf8ToCp936(value);
}

std::optional<std::string> OwnersFileFirstLine(const std::string& path) {
  const std::string local = Cp936ToUtf8(path);
  struct stat status {};
  if (stat(local.c_str(), &status) != 0 || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    std::fprintf(stderr, "brimlock: %s is missing or open to others than its owner (chmod 600)\n", local.c_str());
    return std::nullopt;
  }
  std::ifstream file(local);
  std::string line;
  std::getline(file, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Utf8ToCp936(line);
}

}  // namespace text
