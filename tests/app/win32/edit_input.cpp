// Typing is one WM_CHAR a character and a paste WM_PASTE from the real clipboard, as the
// platform's own edit takes them.
#include "edit_input.h"

#include <windows.h>

#include <algorithm>

void TypeInto(CEdit& edit, char16_t c) { SendMessageW(edit.m_hWnd, WM_CHAR, c, 1); }

void PasteInto(CEdit& edit, const std::u16string& clipboard) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (clipboard.size() + 1) * sizeof(wchar_t));
  std::copy_n(clipboard.c_str(), clipboard.size() + 1, static_cast<char16_t*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  SendMessageW(edit.m_hWnd, WM_PASTE, 0, 0);
}

std::u16string TextIn(const CEdit& edit) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(edit.m_hWnd)) + 1, u'\0');
  text.resize(static_cast<size_t>(
      GetWindowTextW(edit.m_hWnd, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()))));
  return text;
}
