#include <windows.h>

#include <bcrypt.h>
#include <restartmanager.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cwchar>

#include "console.h"
#include "platform/serial/portname.h"
#include "platform/text/codepage.h"

namespace card {
namespace {

// wchar_t is UTF-16 here, the text layer's own units.
std::wstring Wide(std::string_view utf8) {
  const std::u16string chars = text::Utf8ToUtf16(utf8);
  return {chars.begin(), chars.end()};
}

std::string Utf8(std::wstring_view wide) {
  return text::Utf16ToUtf8({reinterpret_cast<const char16_t*>(wide.data()), wide.size()});
}

std::string Problem() { return "Windows error " + std::to_string(GetLastError()); }

HANDLE StandardHandle(Stream stream) {
  return GetStdHandle(stream == Stream::In    ? STD_INPUT_HANDLE
                      : stream == Stream::Out ? STD_OUTPUT_HANDLE
                                              : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
         GetConsoleMode(handle, &mode);
}

std::string TooMuch(std::size_t limit) {
  return "it holds more than " + std::to_string(limit >> 20) + " MiB, far more than a batch of cards";
}

bool ReadAll(HANDLE handle, std::string& content, std::size_t limit, std::string& why) {
  char buffer[65536];
  DWORD n = 0;
  for (;;) {
    if (!ReadFile(handle, buffer, sizeof buffer, &n, nullptr)) {
      // A pipe whose writer has closed ends this way.
      if (GetLastError() == ERROR_BROKEN_PIPE) return true;
      why = Problem();
      return false;
    }
    if (n == 0) return true;
    content.append(buffer, n);
    if (content.size() > limit) {
      why = TooMuch(limit);
      return false;
    }
  }
}

volatile LONG g_stop = 0;

BOOL WINAPI OnControl(DWORD event) {
  const LONG status = event == CTRL_C_EVENT ? 130 : event == CTRL_BREAK_EVENT ? 143 : 129;
  // A second one: the default handler ends the program at once.
  if (InterlockedCompareExchange(&g_stop, status, 0) != 0) return FALSE;
  // A closed console ends the program when this returns; the card in hand gets the few
  // seconds Windows allows before that.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(4500);
  return TRUE;
}

// The process that has `path` open, by the Restart Manager; 0 when it cannot tell.
long FileUser(const std::wstring& path) {
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (RmStartSession(&session, 0, key) != ERROR_SUCCESS) return 0;
  long holder = 0;
  LPCWSTR files[] = {path.c_str()};
  RM_PROCESS_INFO users[8];
  UINT needed = 0, count = 8;
  DWORD reasons = 0;
  if (RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
      RmGetList(session, &needed, &count, users, &reasons) == ERROR_SUCCESS) {
    for (UINT i = 0; i < count && holder == 0; ++i)
      if (users[i].Process.dwProcessId != GetCurrentProcessId()) holder = users[i].Process.dwProcessId;
  }
  RmEndSession(session);
  return holder;
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

// Handles are never reused as the standard ones: a closed stream only fails its writes.
void PrepareStandardStreams() {}

bool IsTerminal(Stream stream) { return IsConsole(StandardHandle(stream)); }

bool Write(Stream stream, std::string_view utf8, std::string* why) {
  HANDLE handle = StandardHandle(stream);
  DWORD done = 0;
  bool written = false;
  if (IsConsole(handle)) {
    const std::wstring wide = Wide(utf8);
    written = wide.empty() || (WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr) &&
                               done == wide.size());
  } else {
    written = utf8.empty() ||
              (handle != nullptr && WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr) &&
               done == utf8.size());
  }
  if (!written && why != nullptr) *why = handle == nullptr ? "standard output is closed" : Problem();
  return written;
}

bool ReadAllInput(std::string& all, std::size_t limit, std::string& why) {
  HANDLE handle = StandardHandle(Stream::In);
  all.clear();
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
      if (typed.size() > limit) {
        why = TooMuch(limit);
        return false;
      }
    }
    all = Utf8(typed);
    return true;
  }
  return ReadAll(handle, all, limit, why);
}

bool ReadWholeFile(const std::string& path, std::string& content, std::size_t limit, std::string& why) {
  content.clear();
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = Problem();
    return false;
  }
  const bool read = ReadAll(file, content, limit, why);
  CloseHandle(file);
  return read;
}

bool CanAskOperator() {
  HANDLE console = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
  return console != INVALID_HANDLE_VALUE && IsTerminal(Stream::Err);
}

bool WaitForEnter() {
  HANDLE console = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return false;
  // Key by key, a fifth of a second at a time, so that Ctrl-C or a closed console ends the wait.
  bool entered = false;
  while (!entered && g_stop == 0) {
    if (WaitForSingleObject(console, 200) != WAIT_OBJECT_0) continue;
    INPUT_RECORD record{};
    DWORD n = 0;
    if (!ReadConsoleInputW(console, &record, 1, &n) || n == 0) break;
    entered = record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
              record.Event.KeyEvent.wVirtualKeyCode == VK_RETURN;
  }
  CloseHandle(console);
  return entered;
}

void CatchStopSignals() { SetConsoleCtrlHandler(OnControl, TRUE); }

int StopRequested() { return static_cast<int>(g_stop); }

// The port's device by the serial layer's map; opening it tells the rest.
bool CheckPort(const std::string& port, std::string& device, std::string& why) {
  const std::optional<std::string> path = serial::DevicePathForName(port.c_str());
  if (!path) why = "'" + port + "' is no port name; give com1, com2 (up to com256) or a device path";
  device = path.value_or("");
  return path.has_value();
}

// Windows tells no more than the open does.
std::string WhyNotOpen(const std::string& /*device*/) { return ""; }
std::string OpenedBy(const std::string& /*device*/) { return ""; }

std::vector<PortInfo> ListPorts() {
  std::vector<std::string> names{"com1", "com2"};
  // The system's COM devices, by their DOS device names.
  std::vector<wchar_t> all(65536);
  const DWORD length = QueryDosDeviceW(nullptr, all.data(), static_cast<DWORD>(all.size()));
  for (DWORD at = 0; at < length && all[at] != L'\0'; at += static_cast<DWORD>(wcslen(&all[at])) + 1) {
    std::string name = Utf8(&all[at]);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.starts_with("com") && name.size() > 3 && std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
  }
  std::vector<PortInfo> ports;
  for (const std::string& name : names) {
    const std::string device = serial::DevicePathForName(name.c_str()).value_or(name);
    // A look costs an open on Windows: the port is held for that moment only.
    HANDLE port = CreateFileW(Wide(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    const DWORD error = port == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    ports.push_back({name, device, error == 0,
                     error == 0                      ? ""
                     : error == ERROR_ACCESS_DENIED  ? "it is in use by another program, or you may not use it"
                     : error == ERROR_FILE_NOT_FOUND ? "it does not exist"
                                                     : "Windows error " + std::to_string(error)});
  }
  return ports;
}

void LetFramesLeave(std::size_t bytes) {
  // The frames' own time on a 9600-baud line (a byte in 1.04 ms), and a moment more: a
  // driver's flush may return once the bytes are in its hands (a pseudo-terminal under Wine,
  // a network bridge), and the far side then needs that long to take them off the line.
  Sleep(static_cast<DWORD>(bytes * 104 / 100 + 100));
}

std::string RandomBytes(std::size_t n) {
  std::string bytes(n, '\0');
  if (BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()), static_cast<ULONG>(n),
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
    std::abort();  // no random source: nothing to keep a secret with
  return bytes;
}

std::optional<std::string> SlowDigest(std::string_view bytes, std::string_view salt) {
  // PBKDF2-HMAC-SHA-256 at 100 000 rounds, about as slow a card as yescrypt on Linux.
  BCRYPT_ALG_HANDLE sha256 = nullptr;
  if (BCryptOpenAlgorithmProvider(&sha256, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG) != 0)
    return std::nullopt;
  std::string phrase(bytes), seasoning(salt);
  unsigned char key[32];
  const bool done = BCryptDeriveKeyPBKDF2(sha256, reinterpret_cast<PUCHAR>(phrase.data()),
                                          static_cast<ULONG>(phrase.size()), reinterpret_cast<PUCHAR>(seasoning.data()),
                                          static_cast<ULONG>(seasoning.size()), 100000, key, sizeof key, 0) == 0;
  BCryptCloseAlgorithmProvider(sha256, 0);
  if (!done) return std::nullopt;
  static const char kLetters[] = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::string digest;
  for (const unsigned char b : key) digest.append(1, kLetters[b >> 2]);
  return digest;
}

JournalFile::~JournalFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));  // also drops the lock
}

JournalFile::Opened JournalFile::Open(const std::string& path, std::string& content, long& holder, std::string& why) {
  holder = 0;
  const std::wstring name = Wide(path);
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = Problem();
    return Opened::Failed;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  if (GetFileType(file) != FILE_TYPE_DISK) {
    why = "not a regular file";
    return Opened::NotAFile;
  }
  // One byte far past any journal's end: a lock there keeps out other runs, not readers.
  OVERLAPPED at{};
  at.OffsetHigh = 0x7FFFFFFF;
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    why = Problem();
    if (GetLastError() != ERROR_LOCK_VIOLATION) return Opened::Failed;
    holder = FileUser(name);
    return Opened::Held;
  }
  content.clear();
  return ReadAll(file, content, std::size_t{1} << 30, why) ? Opened::Ok : Opened::Failed;
}

bool JournalFile::Append(std::string_view bytes, std::string& why) {
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  DWORD done = 0;
  // FlushFileBuffers takes the data through the system's cache to the disk.
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) || done != bytes.size() ||
      !FlushFileBuffers(file)) {
    why = Problem();
    return false;
  }
  return true;
}

}  // namespace card
