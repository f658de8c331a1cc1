// The binary dialog template (DLGTEMPLATEEX and its items) the dialog manager creates a
// dialog from, written from the program's template table.
#include <cstdlib>

#include "platform/ui/dlgtemplate.h"
#include "platform/ui/win32/native.h"

namespace ui::win32 {
namespace {

// The record is a run of WORDs; items start on DWORD boundaries from its start.
class Record {
 public:
  void Word(WORD w) { m_words.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const ResourceText& text) {
    for (char16_t c : Utf16Of(text)) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Ordinal(WORD id) {
    Word(0xFFFF);
    Word(id);
  }
  void AlignDword() {
    if (m_words.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(m_words); }

 private:
  std::vector<WORD> m_words;
};

// The predefined classes' ordinals.
WORD ClassOrdinal(DlgItemKind kind) {
  switch (kind) {
    case DlgItemKind::Button: return 0x0080;
    case DlgItemKind::Edit: return 0x0081;
    case DlgItemKind::Static: return 0x0082;
    case DlgItemKind::ComboBox: return 0x0085;
  }
  return 0x0082;
}

// A one-line label stays on its line, as the Linux twin's labels do: a text a little wider
// than its box (the font's widths differ by a pixel here and there) is cut at the right,
// never wrapped out of sight.
DWORD ItemStyle(const DLGITEMTEMPLATE& item) {
  constexpr short kOneLine = 8;  // dialog units
  if (item.kind == DlgItemKind::Static && (item.style & 0x1F) == SS_LEFT && item.cy <= kOneLine) {
    return item.style | SS_LEFTNOWORDWRAP;
  }
  return item.style;
}

}  // namespace

std::vector<WORD> DialogRecord(const DLGTEMPLATE& t) {
  Record r;
  r.Word(1);       // dlgVer
  r.Word(0xFFFF);  // signature: the extended form
  r.Dword(0);      // helpID
  r.Dword(t.exStyle);
  // Shown once OnInitDialog has run, centred as the desktop places a new window.
  r.Dword((t.style & ~static_cast<DWORD>(WS_VISIBLE)) | DS_CENTER);
  r.Word(static_cast<WORD>(t.itemCount));
  r.Word(0);
  r.Word(0);
  r.Word(static_cast<WORD>(t.cx));
  r.Word(static_cast<WORD>(t.cy));
  r.Word(0);  // no menu
  r.Word(0);  // the dialog class
  r.Text(t.caption);
  if (t.style & DS_SETFONT) {
    r.Word(static_cast<WORD>(t.pointSize));
    r.Word(static_cast<WORD>(t.weight));
    r.Word(static_cast<WORD>(t.charset << 8));  // italic 0, then the character set
    r.Text(t.fontName);
  }
  for (std::size_t i = 0; i < t.itemCount; ++i) {
    const DLGITEMTEMPLATE& item = t.items[i];
    r.AlignDword();
    r.Dword(0);  // helpID
    r.Dword(0);  // exStyle
    r.Dword(ItemStyle(item));
    r.Word(static_cast<WORD>(item.x));
    r.Word(static_cast<WORD>(item.y));
    r.Word(static_cast<WORD>(item.cx));
    r.Word(static_cast<WORD>(item.cy));
    r.Dword(static_cast<DWORD>(item.id));
    r.Ordinal(ClassOrdinal(item.kind));
    // An icon static names its icon resource by number, which the dialog manager loads.
    if (item.kind == DlgItemKind::Static && (item.style & 0x1F) == SS_ICON && item.text.cp936[0] == '#') {
      r.Ordinal(static_cast<WORD>(std::atoi(item.text.cp936 + 1)));
    } else {
      r.Text(item.text);
    }
    r.Word(0);  // no creation data
  }
  return r.Take();
}

}  // namespace ui::win32
