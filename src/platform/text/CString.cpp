#include "platform/text/CString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {
const StringResource* g_table = nullptr;
size_t g_tableSize = 0;
}  // namespace

void AfxSetStringTable(const StringResource* table, size_t count) {
  g_table = table;
  g_tableSize = count;
}

CString CString::Mid(int first, int count) const {
  int length = GetLength();
  first = std::clamp(first, 0, length);
  count = std::clamp(count, 0, length - first);
  return CString(m_bytes.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
  va_end(again);
  m_bytes = std::move(out);
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
