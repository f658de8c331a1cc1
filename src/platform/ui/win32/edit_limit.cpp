// An edit's limit in code page 936 bytes, as the program counts its text. The class counts
// UTF-16 units, so its own limit is set to the largest and this one is kept in front of it:
// a paste inserts its longest leading part that fits in whole characters, a typed character
// that does not fit is refused, and a text already past the limit takes no more. Deleting,
// and text the program sets, are never limited.
#include <algorithm>
#include <unordered_map>

#include "platform/ui/byte_count.h"
#include "platform/ui/win32/native.h"

namespace ui::win32 {
namespace {

constexpr UINT kDefaultLimit = 30000;  // the platform's for a new edit
constexpr UINT kLargestLimit = 0x7FFFFFFE;

std::unordered_map<HWND, UINT>& Limits() {
  static std::unordered_map<HWND, UINT> map;
  return map;
}

std::u16string_view Units(std::wstring_view s) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

long long Bytes(std::wstring_view s) { return Cp936Bytes(Units(s)); }

// The bytes the text would keep if the selection were replaced.
long long KeptBytes(HWND edit) {
  DWORD start = 0, end = 0;
  CallClass(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  std::wstring text = TextOf(edit);
  end = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
  start = std::min(start, end);
  return Bytes(text) - Bytes(std::wstring_view(text).substr(start, end - start));
}

// The leading part of `s` that fits in `room` bytes, never cutting a character.
std::wstring_view LeadingPart(std::wstring_view s, long long room) {
  return s.substr(0, LeadingUnitsWithin(Units(s), room));
}

// A single-line edit pastes the clipboard's first line.
std::wstring ClipboardLine(HWND edit) {
  std::wstring line;
  if (!OpenClipboard(edit)) return line;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      line = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return line.substr(0, line.find_first_of(L"\r\n"));
}

bool Writable(HWND edit) { return IsWindowEnabled(edit) && !(GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY); }

}  // namespace

void StartByteLimit(HWND edit) {
  Limits()[edit] = kDefaultLimit;
  CallClass(edit, EM_LIMITTEXT, 0, 0);
}

UINT ByteLimit(HWND edit) {
  auto it = Limits().find(edit);
  return it == Limits().end() ? kDefaultLimit : it->second;
}

bool EditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT* result) {
  *result = 0;
  switch (message) {
    case EM_LIMITTEXT:
      // 0 means the largest the platform allows.
      Limits()[edit] = wParam == 0 ? kLargestLimit : static_cast<UINT>(std::min<WPARAM>(wParam, kLargestLimit));
      return true;
    case EM_GETLIMITTEXT: *result = ByteLimit(edit); return true;
    case WM_CHAR: {
      // Control characters (Backspace, Ctrl+letters) and a pair's second half pass on.
      const auto c = static_cast<wchar_t>(wParam);
      if (c < 0x20 || c == 0x7F || IS_LOW_SURROGATE(c) || !Writable(edit)) return false;
      if (KeptBytes(edit) + Bytes(std::wstring_view(&c, 1)) <= ByteLimit(edit)) return false;
      MessageBeep(MB_OK);
      return true;
    }
    case WM_PASTE: {
      if (!Writable(edit)) return false;
      std::wstring line = ClipboardLine(edit);
      std::wstring part(LeadingPart(line, ByteLimit(edit) - KeptBytes(edit)));
      if (part.size() < line.size()) MessageBeep(MB_OK);
      if (!part.empty()) CallClass(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.c_str()));
      return true;
    }
    case WM_NCDESTROY: Limits().erase(edit); return false;
    default: return false;
  }
}

}  // namespace ui::win32
