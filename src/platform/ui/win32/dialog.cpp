// The Windows side of a dialog: the dialog manager creates it from the binary template,
// and a modal loop of our own runs it with the dialog manager's keyboard rules.
#include "platform/ui/CDialog.h"

#include "platform/ui/win32/native.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) {
  // Everything reaches the object through the hook; the dialog manager does the rest.
  return FALSE;
}

BOOL CALLBACK HookChild(HWND child, LPARAM) {
  ui::win32::Hook(child);
  return TRUE;
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool IsPushButton(HWND h) {
  if (!ui::win32::HasClass(h, L"Button")) return false;
  DWORD type = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

// A dropped list takes Enter to close itself.
bool IsDroppedCombo(HWND h) { return ui::win32::HasClass(h, L"ComboBox") && SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0); }

// The keys the program's dialogs take as their own, as on Linux: Enter clicks a focused
// push button (owner-drawn ones included) and means OK anywhere else; F1 asks for help.
// Esc, Tab, Alt+Space and Alt+F4 are left to the dialog manager and the system.
bool DialogKey(HWND dialog, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd))) return false;
  if (KeyDown(VK_MENU) || KeyDown(VK_CONTROL)) return false;
  if (msg.wParam == VK_RETURN && !IsDroppedCombo(msg.hwnd)) {
    if (IsPushButton(msg.hwnd) && IsWindowEnabled(msg.hwnd)) SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
    else SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  }
  if (msg.wParam == VK_F1 && !KeyDown(VK_SHIFT)) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), 0);
    return true;
  }
  return false;
}

}  // namespace

void CDialog::CreateFromTemplate(const DLGTEMPLATE& t, CWnd* owner) {
  std::vector<WORD> record = ui::win32::DialogRecord(t);
  HWND h = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(record.data()),
                                      owner != nullptr ? owner->m_hWnd : nullptr, &DialogProc, 0);
  if (h == nullptr) return;
  ui::win32::Hook(h);
  EnumChildWindows(h, &HookChild, 0);
  Attach(h);
  // The dialog is still hidden: when it is shown and activated the dialog manager focuses
  // the first tab stop, as it does after a WM_INITDIALOG that returned TRUE.
  OnInitDialog();
}

void CDialog::RunModalLoop() {
  HWND h = m_hWnd;
  // The owner takes no input while its dialog runs; an unowned dialog blocks nothing.
  HWND owner = ::GetWindow(h, GW_OWNER);
  const bool blockOwner = owner != nullptr && ::IsWindowEnabled(owner);
  if (blockOwner) ::EnableWindow(owner, FALSE);
  ::ShowWindow(h, SW_SHOW);
  MSG msg;
  while (!m_bEnded && m_hWnd != nullptr) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // A quit request ends the loop and is left for the application's own.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (DialogKey(h, msg) || IsDialogMessageW(h, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Hidden before the owner comes back, so that activation goes to the owner.
  if (m_hWnd != nullptr) ::ShowWindow(h, SW_HIDE);
  if (blockOwner) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
}

void CDialog::EndModalLoop() {
  // Wakes the loop, which sees the dialog ended.
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}
