#include "platform/text/CString.h"

namespace {
const StringResource* g_table = nullptr;
size_t g_tableSize = 0;
}  // namespace

void AfxSetStringTable(const StringResource* table, size_t count) {
  g_table = table;
  g_tableSize = count;
}

BOOL CString::LoadString(UINT id) {
  for (size_t i = 0; i < g_tableSize; ++i) {
    if (g_table[i].id == id) {
      m_bytes = g_table[i].text;
      return TRUE;
    }
  }
  m_bytes.clear();
  return FALSE;
}
