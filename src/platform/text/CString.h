#pragma once
// The framework's 8-bit string: bytes of code page 936, counted in bytes.
#include <string>
#include <string_view>

#include "platform/text/wintypes.h"

class CString {
 public:
  CString() = default;
  CString(const char* s) : m_bytes(s ? s : "") {}  // NOLINT: implicit, as the framework's
  CString(const char* s, int length) : m_bytes(s, static_cast<size_t>(length)) {}
  explicit CString(std::string bytes) : m_bytes(std::move(bytes)) {}

  int GetLength() const { return static_cast<int>(m_bytes.size()); }
  bool IsEmpty() const { return m_bytes.empty(); }
  void Empty() { m_bytes.clear(); }

  operator LPCSTR() const { return m_bytes.c_str(); }  // NOLINT: implicit, as the framework's
  const std::string& bytes() const { return m_bytes; }

  // clang-format off
  CString& operator+=(const CString& s) { m_bytes += s.m_bytes; return *this; }
  CString& operator+=(const char* s) { m_bytes += s ? s : ""; return *this; }
  friend CString operator+(CString a, const CString& b) { a += b; return a; }
  friend CString operator+(CString a, const char* b) { a += b; return a; }
  // clang-format on
  friend CString operator+(const char* a, const CString& b) { return CString(a) + b; }
  friend bool operator==(const CString& a, const CString& b) { return a.m_bytes == b.m_bytes; }
  friend bool operator==(const CString& a, const char* b) { return a.m_bytes == (b ? b : ""); }

  // Loads a string of the program's string table; the text is emptied when the id is unknown.
  BOOL LoadString(UINT id);

 private:
  std::string m_bytes;
};

// The program's string table, handed over once by the resources.
struct StringResource {
  UINT id;
  const char* text;
};
void AfxSetStringTable(const StringResource* table, size_t count);
