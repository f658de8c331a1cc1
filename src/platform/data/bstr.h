#pragma once
// Wide text as the data-access objects take and give it. The program speaks code page 936;
// the conversion happens here, at the edge, and nowhere else.
#include <memory>
#include <string>
#include <string_view>

#include "platform/text/CString.h"

class _bstr_t {
 public:
  _bstr_t() = default;
  _bstr_t(const char* cp936);     // NOLINT: implicit, as the platform's
  _bstr_t(const CString& cp936);  // NOLINT: implicit
  explicit _bstr_t(std::u16string_view wide);
  // Text the caller knows to be ASCII, kept as it is.
  static _bstr_t FromAscii(std::string_view ascii);

  // The text in code page 936; the bytes live as long as this object is unchanged.
  operator const char*() const;                           // NOLINT: implicit, as the platform's
  operator CString() const { return CString(narrow()); }  // NOLINT: implicit

  const std::u16string& wide() const;
  unsigned length() const { return static_cast<unsigned>(m_isAscii ? m_ascii.size() : m_wide->wide.size()); }
  // ASCII is the same text in code page 936 and in every other form: nothing to convert.
  bool IsAscii() const { return m_isAscii; }
  friend bool operator==(const _bstr_t& a, const _bstr_t& b) {
    return a.m_isAscii && b.m_isAscii ? a.m_ascii == b.m_ascii : a.wide() == b.wide();
  }

 private:
  // ASCII, the same in both forms, is kept narrow, as the program reads it, in the object
  // itself: a short value read from a row costs no allocation. Other text is shared, counted,
  // as the platform's copies are: a value handed on costs no copy of it. Any other form is
  // made at the first ask (for ASCII, its wide form).
  struct Wide {
    std::u16string wide;
    std::string narrow;  // an empty form is one not made yet: a text here is never empty
  };

  const std::string& narrow() const;

  std::string m_ascii;                   // the text, when ASCII
  mutable std::shared_ptr<Wide> m_wide;  // the text, when not; for ASCII its wide form once asked
  bool m_isAscii = true;
};
