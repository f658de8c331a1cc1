// The platform's own message box, its caption the application's name unless given.
#include "platform/ui/messagebox.h"

#include "platform/ui/CWinApp.h"
#include "platform/ui/win32/native.h"

namespace ui {

int ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::wstring body = win32::Wide(text);
  std::wstring title = win32::Wide(caption ? caption : AfxGetAppName());
  return MessageBoxW(owner, body.c_str(), title.c_str(), type);
}

}  // namespace ui
