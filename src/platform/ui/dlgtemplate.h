#pragma once
// A dialog template: the window and its controls in dialog units, in creation order.
#include <cstddef>
#include <string>

#include "platform/ui/winuser.h"

#if defined(_WIN32)
// The platform's headers name their binary template records so; the program's tables keep
// the names for these structs, and the binary records are built from them (win32/).
#define DLGITEMTEMPLATE BRIMLOCK_DLGITEMTEMPLATE
#define DLGTEMPLATE BRIMLOCK_DLGTEMPLATE
#endif

enum class DlgItemKind { Button, Edit, Static, ComboBox };

// A template's text in code page 936 and, where the table gives it, the same text in UTF-16,
// as the platform's resource compiler keeps every text: a window then shows it without a
// conversion. RC_TEXT gives both from one literal.
struct ResourceText {
  constexpr ResourceText(const char* text) : cp936(text) {}  // NOLINT: a plain literal is one too
  constexpr ResourceText(const char* text, const char16_t* wide) : cp936(text), utf16(wide) {}
  const char* cp936;
  const char16_t* utf16 = nullptr;
};
#define RC_TEXT(literal) ResourceText(literal, u"" literal)
// The text in UTF-16, converted from code page 936 where the table gives it in that only.
std::u16string Utf16Of(const ResourceText& text);

struct DLGITEMTEMPLATE {
  int id;  // -1 for controls without one
  DlgItemKind kind;
  ResourceText text;  // for an icon static, the icon resource id as text "#128"
  short x, y, cx, cy;
  DWORD style;  // WS_* and the control's own style bits
};

struct DLGTEMPLATE {
  ResourceText caption;
  short cx, cy;
  ResourceText fontName;
  int pointSize;
  int weight;
  int charset;
  DWORD style;
  DWORD exStyle;
  const DLGITEMTEMPLATE* items;
  std::size_t itemCount;
};

// Templates are found by id, as the platform finds them in the program's resources.
struct DialogResource {
  UINT id;
  const DLGTEMPLATE* dialog;
};
void AfxSetDialogResources(const DialogResource* table, std::size_t count);
const DLGTEMPLATE* AfxFindDialogResource(UINT id);

// Icons: each id names the picture files of its sizes (toolkit resource paths).
struct IconResource {
  UINT id;
  const char* const* files;
  std::size_t fileCount;
};
void AfxSetIconResources(const IconResource* table, std::size_t count);
const IconResource* AfxFindIconResource(UINT id);
