#include "platform/text/text_backend.h"

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
  const std::filesystem::path file(Cp936ToWide(path));
  std::error_code error;
  const char* why = nullptr;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) {
    why = "is missing or not a plain file";
  } else if (std::filesystem::file_size(file, error) > static_cast<std::uintmax_t>(kConnectionFileLimit)) {
    why = "is too large for a connection string (at most 64 KiB)";
  }
  std::string bytes(static_cast<size_t>(kConnectionFileLimit), '\0');
  if (why == nullptr) {
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || (!in && !in.eof())) why = "cannot be read";
    bytes.resize(static_cast<size_t>(in.gcount()));
  }
  if (why != nullptr) {
    std::fprintf(stderr, "brimlock: %s %s\n", path.c_str(), why);
    return std::nullopt;
  }
  return Utf8ToCp936(FirstLine(bytes));
}

std::string HostName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? WideToCp936(std::wstring(name, size)) : std::string();
}

std::string UserName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  return GetUserNameW(name, &size) && size > 0 ? WideToCp936(std::wstring(name, size - 1)) : std::string();
}

}  // namespace text
