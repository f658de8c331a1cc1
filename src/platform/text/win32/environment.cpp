#include "platform/text/environment.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/text/win32/wide.h"

namespace text {
std::optional<std::string> EnvironmentSetting(const char* name) {
  // The wide environment: the narrow one is in the process's code page, which need not be 936.
  const std::wstring wideName = Cp936ToWide(name);
  DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
  return WideToCp936(value);
}

std::optional<std::string> OwnersFileFirstLine(const std::string& path) {
  // Files under the user's profile are readable by that user (and administrators) only;
  // the program reads what it is given and leaves the file's access list to the desk.
  std::ifstream file(std::filesystem::path(Cp936ToWide(path)));
  if (!file) {
    std::fprintf(stderr, "brimlock: %s cannot be read\n", path.c_str());
    return std::nullopt;
  }
  std::string line;
  std::getline(file, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Utf8ToCp936(line);
}

}  // namespace text
