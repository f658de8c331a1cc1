#include "platform/ui/dlgtemplate.h"

#include "platform/text/codepage.h"
#include "platform/text/known_texts.h"

namespace {
const DialogResource* g_dialogs = nullptr;
std::size_t g_dialogCount = 0;
const IconResource* g_icons = nullptr;
std::size_t g_iconCount = 0;

void Learn(const ResourceText& text) {
  if (text.cp936 != nullptr && text.utf16 != nullptr) text::AddKnownText(text.cp936, text.utf16);
}
}  // namespace

void AfxSetDialogResources(const DialogResource* table, std::size_t count) {
  g_dialogs = table;
  g_dialogCount = count;
  // The texts the windows made from these show and read back at every paint.
  for (std::size_t i = 0; i < count; ++i) {
    const DLGTEMPLATE& dialog = *table[i].dialog;
    Learn(dialog.caption);
    Learn(dialog.fontName);
    for (std::size_t k = 0; k < dialog.itemCount; ++k) Learn(dialog.items[k].text);
  }
}

const DLGTEMPLATE* AfxFindDialogResource(UINT id) {
  for (std::size_t i = 0; i < g_dialogCount; ++i) {
    if (g_dialogs[i].id == id) return g_dialogs[i].dialog;
  }
  return nullptr;
}

void AfxSetIconResources(const IconResource* table, std::size_t count) {
  g_icons = table;
  g_iconCount = count;
}

const IconResource* AfxFindIconResource(UINT id) {
  for (std::size_t i = 0; i < g_iconCount; ++i) {
    if (g_icons[i].id == id) return &g_icons[i];
  }
  return nullptr;
}

std::u16string Utf16Of(const ResourceText& text) {
  return text.utf16 != nullptr ? std::u16string(text.utf16) : text::Cp936ToUtf16(text.cp936 ? text.cp936 : "");
}
