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

  // The text in code page 936; the bytes live as long as this object is unchanged.
  operator const char*() const;                           // NOLINT: implicit, as the platform's
  operator CString() const { return CString(narrow()); }  // NOLINT: implicit

  const std::u16string& wide() const;
  unsigned length() const { return static_cast<unsigned>(wide().size()); }
  friend bool operator==(const _bstr_t& a, const _bstr_t& b) { return a.wide() == b.wide(); }

 private:
  // Copies share one text, counted, as the platform's do: a value read from a row and
  // handed on costs one copy of its text, not one for every hand. ASCII, the same in
  // both forms, is kept narrow, as the program reads it; each form is made at the first ask.
  // A text is never empty, so an empty form is one not made yet.
  struct Text {
    std::u16string wide;
    std::string narrow;
  };
  static std::shared_ptr<Text> Ascii(std::string&& ascii);
  static std::shared_ptr<Text> Wide(std::u16string&& wide);

  const std::string& narrow() const;

  std::shared_ptr<Text> m_text;  // null for the empty text
};
