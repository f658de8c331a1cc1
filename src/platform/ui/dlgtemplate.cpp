#include "platform/ui/dlgtemplate.h"

namespace {
const DialogResource* g_dialogs = nullptr;
std::size_t g_dialogCount = 0;
const IconResource* g_icons = nullptr;
std::size_t g_iconCount = 0;
}  // namespace

void AfxSetDialogResources(const DialogResource* table, std::size_t count) {
  g_dialogs = table;
  g_dialogCount = count;
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
