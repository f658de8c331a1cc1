// An edit's limit counts code page 936 bytes on both platforms, whatever its toolkit counts:
// typed characters and pastes go to a real edit of a real dialog, a Qt one on Linux and the
// platform's own under Wine, through one table.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "edit_input.h"
#include "platform/ui/byte_count.h"
#include "platform/ui/afxwin.h"

namespace {

constexpr UINT kTemplateId = 9300;
constexpr int kEditId = 100;
constexpr int kLimit = 6;  // bytes: six ASCII characters, three Chinese ones

const DLGITEMTEMPLATE kItems[] = {
    {kEditId, DlgItemKind::Edit, "", 4, 4, 100, 14, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
};
const DLGTEMPLATE kTemplate = {
    "", 120, 30, "宋体", 9, 400, 134, WS_POPUP | WS_CAPTION | DS_SETFONT, 0, kItems, std::size(kItems)};
const DialogResource kDialogs[] = {{kTemplateId, &kTemplate}};

struct Case {
  const char* name;
  const char* before;            // code page 936, set as the program sets text: whole, past the limit too
  const char16_t* pastedBefore;  // or what the operator pasted into the empty edit first
  int selStart, selEnd;          // UTF-16 positions; the cursor where they are equal
  const char16_t* typed;         // typed one character at a time, or
  const char16_t* pasted;        // put on the clipboard and pasted
  const char16_t* after;         // the edit's own characters
};

const std::u16string kSmile = u"\U0001F600", kGrin = u"\U0001F603";
std::u16string Times(const std::u16string& s, int n) {
  std::u16string out;
  while (n-- > 0) out += s;
  return out;
}
const std::u16string kTwoGrins = Times(kGrin, 2), kSixGrins = Times(kGrin, 6), kSevenGrins = Times(kGrin, 7);
const std::u16string kTenSpaces = Times(u"\u200B", 10), kSixSpaces = Times(u"\u200B", 6);
const std::u16string kFiveAndSmile = u"abcde" + kSmile, kFiveAndGrin = u"abcde" + kGrin;

const Case kCases[] = {
    {"a character that fills the limit", "abcde", nullptr, 5, 5, u"f", nullptr, u"abcdef"},
    {"a character past a full text", "abcdef", nullptr, 6, 6, u"g", nullptr, u"abcdef"},
    {"a double-byte character one byte short", "abcde", nullptr, 5, 5, u"中", nullptr, u"abcde"},
    {"a double-byte character that fits", "abcd", nullptr, 4, 4, u"中", nullptr, u"abcd中"},
    {"typing in front of the text", "中文", nullptr, 0, 0, u"xyz", nullptr, u"xy中文"},
    {"replacing a selection", "abcdef", nullptr, 1, 3, u"中", nullptr, u"a中def"},
    {"a text past the limit takes no more", "abcdefgh", nullptr, 8, 8, u"z", nullptr, u"abcdefgh"},
    {"a text past the limit shrinks through a selection", "abcdefgh", nullptr, 0, 3, u"z", nullptr, u"zdefgh"},
    {"backspace past the limit", "abcdefgh", nullptr, 8, 8, u"\b", nullptr, u"abcdefg"},
    {"a paste's leading part in whole characters", "ab", nullptr, 2, 2, nullptr, u"中文字", u"ab中文"},
    {"a paste never splits a double-byte character", "abcd", nullptr, 4, 4, nullptr, u"x中", u"abcdx"},
    {"a paste's first line", "", nullptr, 0, 0, nullptr, u"ab\r\ncd", u"ab"},
    {"a paste into a full text", "abcdef", nullptr, 6, 6, nullptr, u"x", u"abcdef"},
    // What the code page lacks is one '?' a character, a pair of surrogates one character.
    {"zero-width spaces count a byte each", "", nullptr, 0, 0, nullptr, kTenSpaces.c_str(), kSixSpaces.c_str()},
    {"pairs pasted over a selected pair", nullptr, kSmile.c_str(), 0, 2, nullptr, kSevenGrins.c_str(),
     kSixGrins.c_str()},
    {"a pair pasted over the last one's place", nullptr, kFiveAndSmile.c_str(), 5, 7, nullptr, kTwoGrins.c_str(),
     kFiveAndGrin.c_str()},
};

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
      edit.SetWindowText(c.before != nullptr ? c.before : "");
      if (c.pastedBefore != nullptr) PasteInto(edit, c.pastedBefore);
      edit.SetSel(c.selStart, c.selEnd);
      if (c.typed != nullptr) {
        for (const char16_t* p = c.typed; *p != 0; ++p) TypeInto(edit, *p);
      } else {
        PasteInto(edit, c.pasted);
      }
      EXPECT_EQ(TextIn(edit), std::u16string(c.after));
    }
    EndDialog(IDOK);
    return TRUE;
  }
};

// Where a text is cut to fit, a lone surrogate is one character of one byte.
TEST(EditLimit, LoneSurrogatesAreWholeCharactersOfOneByte) {
  const std::u16string pairAfterLone = u"\xD83D\U0001F600AB";  // '?', '?', 'A', 'B'
  EXPECT_EQ(ui::Cp936Bytes(pairAfterLone), 4);
  EXPECT_EQ(ui::LeadingUnitsWithin(pairAfterLone, 2), 3u);
  EXPECT_EQ(ui::LeadingUnitsWithin(pairAfterLone, 3), 4u);
  // clang-format off
  EXPECT_EQ(ui::LeadingUnitsWithin(u"\xDE00\xD83D" "A", 2), 2u);
  // clang-format on
}

TEST(EditLimit, CountsCodePage936Bytes) {
  AfxSetDialogResources(kDialogs, std::size(kDialogs));
  LimitDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
