#include <windows.h>

#include <shellapi.h>

#include "console.h"

namespace card {
namespace {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

HANDLE StandardHandle(Stream stream) {
  return GetStdHandle(stream == Stream::In ? STD_INPUT_HANDLE : stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

}  // namespace

// The console hands over its command line in UTF-16, whatever its code page.
std::vector<std::string> Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool IsTerminal(Stream stream) { return IsConsole(StandardHandle(stream)); }

void Write(Stream stream, std::string_view utf8) {
  HANDLE handle = StandardHandle(stream);
  DWORD done = 0;
  if (IsConsole(handle)) {
    const std::wstring wide = Wide(utf8);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
  } else {
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr);
  }
}

std::string ReadAllInput() {
  HANDLE handle = StandardHandle(Stream::In);
  std::string all;
  if (IsConsole(handle)) {
    std::wstring typed;
    wchar_t buffer[4096];
    DWORD n = 0;
    while (ReadConsoleW(handle, buffer, 4096, &n, nullptr) && n > 0) {
      typed.append(buffer, n);
      // Ctrl-Z at the start of a line ends typed input, as the console's own programs take it.
      const auto end = typed.find(L'\x1A');
      if (end != std::wstring::npos) {
        typed.resize(end);
        break;
      }
    }
    return Utf8(typed);
  }
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(handle, buffer, sizeof buffer, &n, nullptr) && n > 0) all.append(buffer, n);
  return all;
}

void LetFramesLeave(void* port, std::size_t bytes) {
  FlushFileBuffers(static_cast<HANDLE>(port));
  // The frames' own time on a 9600-baud line (a byte in 1.04 ms), and a moment more: a
  // driver's flush may return once the bytes are in its hands (a pseudo-terminal under Wine,
  // a network bridge), and the far side then needs that long to take them off the line.
  Sleep(static_cast<DWORD>(bytes * 104 / 100 + 100));
}

bool ReadWholeFile(const std::string& path, std::string& content, bool* missing) {
  content.clear();
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (missing != nullptr && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
      *missing = true;
      return true;
    }
    return false;
  }
  char buffer[65536];
  DWORD n = 0;
  BOOL ok = TRUE;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &n, nullptr)) && n > 0) content.append(buffer, n);
  CloseHandle(file);
  return ok != FALSE;
}

DurableFile::~DurableFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool DurableFile::Open(const std::string& path, std::string& why) {
  HANDLE file = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = "Windows error " + std::to_string(GetLastError());
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool DurableFile::Append(std::string_view bytes, std::string& why) {
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  DWORD done = 0;
  // FlushFileBuffers takes the data through the system's cache to the disk.
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) || done != bytes.size() ||
      !FlushFileBuffers(file)) {
    why = "Windows error " + std::to_string(GetLastError());
    return false;
  }
  return true;
}

}  // namespace card
