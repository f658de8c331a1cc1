#pragma once
// Wide text as the data-access objects take and give it. The program speaks code page 936;
// the conversion happens here, at the edge, and nowhere else.
#include <string>

#include "platform/text/CString.h"

class _bstr_t {
 public:
  _bstr_t() = default;
  _bstr_t(const char* cp936);       // NOLINT: implicit, as the platform's
  _bstr_t(const CString& cp936);    // NOLINT: implicit
  explicit _bstr_t(std::u16string wide) : m_wide(std::move(wide)) {}

  // The text in code page 936; the bytes live as long as this object is unchanged.
  operator const char*() const;     // NOLINT: implicit, as the platform's
  operator CString() const { return CString(narrow()); }  // NOLINT: implicit

  const std::u16string& wide() const { return m_wide; }
  unsigned length() const { return static_cast<unsigned>(m_wide.size()); }
  friend bool operator==(const _bstr_t& a, const _bstr_t& b) { return a.m_wide == b.m_wide; }

 private:
  const std::string& narrow() const;

  std::u16string m_wide;
  mutable std::string m_narrow;
  mutable bool m_narrowMade = false;
};
