// The edit's limit counts code page 936 bytes on Windows too, where the real edit counts
// UTF-16 units: typed characters and pastes go to a real edit of a real dialog.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "platform/ui/afxwin.h"

namespace {

constexpr UINT kTemplateId = 1;
constexpr int kEditId = 100;
constexpr int kLimit = 6;  // bytes: six ASCII characters or three Chinese ones

const DLGITEMTEMPLATE kItems[] = {
    {kEditId, DlgItemKind::Edit, "", 4, 4, 100, 14, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
};
const DLGTEMPLATE kTemplate = {"", 120, 30, "宋体", 9, 400, 134, WS_POPUP | WS_CAPTION | DS_SETFONT, 0,
                               kItems, std::size(kItems)};
const DialogResource kDialogs[] = {{kTemplateId, &kTemplate}};

struct Case {
  const char* name;
  const char* before;  // code page 936, set as the program sets text: whole, past the limit too
  int selStart, selEnd;  // UTF-16 positions; the cursor where they are equal
  const wchar_t* typed;  // typed one WM_CHAR at a time, or
  const wchar_t* pasted;  // put on the clipboard and pasted
  const char* after;
};

const Case kCases[] = {
    {"a character that fills the limit", "abcde", 5, 5, L"f", nullptr, "abcdef"},
    {"a character past a full text", "abcdef", 6, 6, L"g", nullptr, "abcdef"},
    {"a double-byte character one byte short", "abcde", 5, 5, L"中", nullptr, "abcde"},
    {"a double-byte character that fits", "abcd", 4, 4, L"中", nullptr, "abcd中"},
    {"typing in front of the text", "中文", 0, 0, L"xyz", nullptr, "xy中文"},
    {"replacing a selection", "abcdef", 1, 3, L"中", nullptr, "a中def"},
    {"a text past the limit takes no more", "abcdefgh", 8, 8, L"z", nullptr, "abcdefgh"},
    {"a text past the limit shrinks through a selection", "abcdefgh", 0, 3, L"z", nullptr, "zdefgh"},
    {"backspace past the limit", "abcdefgh", 8, 8, L"\b", nullptr, "abcdefg"},
    {"a paste's leading part in whole characters", "ab", 2, 2, nullptr, L"中文字", "ab中文"},
    {"a paste never splits a double-byte character", "abcd", 4, 4, nullptr, L"x中", "abcdx"},
    {"a paste's first line", "", 0, 0, nullptr, L"ab\r\ncd", "ab"},
    {"a paste into a full text", "abcdef", 6, 6, nullptr, L"x", "abcdef"},
};

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// Runs every case on its edit while the dialog initialises, then ends before it shows.
class LimitDialog : public CDialog {
 public:
  LimitDialog() : CDialog(kTemplateId) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    CEdit edit;
    edit.SubclassDlgItem(kEditId, this);
    edit.SetLimitText(kLimit);
    EXPECT_EQ(edit.GetLimitText(), static_cast<UINT>(kLimit));
    for (const Case& c : kCases) {
      SCOPED_TRACE(c.name);
      edit.SetWindowText(c.before);
      edit.SetSel(c.selStart, c.selEnd);
      if (c.typed != nullptr) {
        for (const wchar_t* p = c.typed; *p != 0; ++p) SendMessageW(edit.m_hWnd, WM_CHAR, *p, 1);
      } else {
        PutOnClipboard(c.pasted);
        SendMessageW(edit.m_hWnd, WM_PASTE, 0, 0);
      }
      CString text;
      edit.GetWindowText(text);
      EXPECT_EQ(text.bytes(), std::string(c.after));
    }
    EndDialog(IDOK);
    return TRUE;
  }
};

TEST(EditLimitOnWindows, CountsCodePage936Bytes) {
  AfxSetDialogResources(kDialogs, std::size(kDialogs));
  LimitDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
