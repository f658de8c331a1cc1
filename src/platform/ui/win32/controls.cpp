// The standard controls' calls, as their messages to the real controls.
#include "platform/ui/controls.h"

#include "platform/ui/win32/native.h"

using ui::win32::Wide;

UINT CEdit::GetLimitText() const {
  return m_hWnd ? static_cast<UINT>(::SendMessageW(m_hWnd, EM_GETLIMITTEXT, 0, 0)) : 0;
}

int CButton::GetCheck() const {
  return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)) : BST_UNCHECKED;
}

void CButton::SetCheck(int check) {
  if (m_hWnd != nullptr) ::SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check), 0);
}

int CComboBox::InsertString(int index, LPCSTR text) {
  if (m_hWnd == nullptr) return CB_ERR;
  std::wstring wide = Wide(text);
  return static_cast<int>(
      ::SendMessageW(m_hWnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str())));
}

int CComboBox::SetCurSel(int index) {
  return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0)) : CB_ERR;
}

int CComboBox::GetCurSel() const {
  return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0)) : CB_ERR;
}

int CComboBox::GetCount() const {
  return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0)) : CB_ERR;
}

int CComboBox::GetLBText(int index, CString& text) const {
  const LRESULT length = m_hWnd ? ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) : CB_ERR;
  if (length == CB_ERR) return CB_ERR;
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT n = ::SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(buffer.data()));
  if (n == CB_ERR) return CB_ERR;
  text = ui::win32::Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(n)));
  return text.GetLength();
}
