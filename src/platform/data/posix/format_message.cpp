#include "platform/data/data_backend.h"

#include <cstdlib>
#include <cstring>

namespace {

// The texts a Chinese system gives for the common codes, in its code page.
struct SystemText {
  DWORD code;
  const char* text;
};
constexpr SystemText kWin32Texts[] = {
    {2, "系统找不到指定的文件。\r\n"},
    {3, "系统找不到指定的路径。\r\n"},
    {5, "拒绝访问。\r\n"},
    {6, "句柄无效。\r\n"},
    {8, "存储空间不足，无法处理此命令。\r\n"},
    {14, "存储空间不足，无法完成此操作。\r\n"},
    {87, "参数错误。\r\n"},
    {1460, "这个操作返回因为超时期限已过。\r\n"},
};

const char* FindText(DWORD messageId) {
  DWORD code = messageId;
  if ((messageId & 0xFFFF0000u) == 0x80070000u) code = messageId & 0xFFFFu;
  else if (messageId > 0xFFFFu) return nullptr;
  for (const SystemText& entry : kWin32Texts) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

}  // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD /*languageId*/, LPSTR buffer, DWORD size,
                     va_list* /*arguments*/) {
  // Message-table sources other than the system's are not offered.
  const char* text = (flags & FORMAT_MESSAGE_FROM_SYSTEM) ? FindText(messageId) : nullptr;
  if (text == nullptr || buffer == nullptr) return 0;
  size_t length = std::strlen(text);
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    auto* block = static_cast<char*>(std::malloc(length + 1));
    if (block == nullptr) return 0;
    std::memcpy(block, text, length + 1);
    *reinterpret_cast<char**>(buffer) = block;
  } else {
    if (length + 1 > size) return 0;
    std::memcpy(buffer, text, length + 1);
  }
  return static_cast<DWORD>(length);
}

LPVOID LocalFree(LPVOID block) {
  std::free(block);
  return nullptr;
}
