#include "platform/data/variant.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/data/com_error.h"
#include "platform/text/codepage.h"

namespace {

// ASCII is the same in code page 936, and the short text passed here (column names, card
// numbers) is mostly ASCII: copied, it skips a converter call that costs far more.
template <class Char>
bool Ascii(std::basic_string_view<Char> text) {
  return std::all_of(text.begin(), text.end(), [](Char c) { return static_cast<unsigned>(c) < 0x80; });
}

std::u16string Widen(std::string_view cp936) {
  if (Ascii(cp936)) return std::u16string(cp936.begin(), cp936.end());
  return text::Cp936ToUtf16(cp936);
}

}  // namespace

_bstr_t::_bstr_t(const char* cp936) : m_wide(Widen(cp936 ? cp936 : "")) {}

_bstr_t::_bstr_t(const CString& cp936) : m_wide(Widen(cp936.bytes())) {}

_bstr_t::operator const char*() const { return narrow().c_str(); }

const std::string& _bstr_t::narrow() const {
  if (!m_narrowMade) {
    const std::u16string_view wide = m_wide;
    m_narrow = Ascii(wide) ? std::string(wide.begin(), wide.end()) : text::Utf16ToCp936(wide);
    m_narrowMade = true;
  }
  return m_narrow;
}

_variant_t::_variant_t(ComObject* object, bool addRef) : vt(VT_DISPATCH), m_object(object) {
  if (m_object != nullptr && addRef) m_object->AddRef();
}

_variant_t::_variant_t(const _variant_t& other)
    : vt(other.vt), m_text(other.m_text), m_object(other.m_object) {
  if (m_object != nullptr) m_object->AddRef();
}

_variant_t& _variant_t::operator=(const _variant_t& other) {
  _variant_t copy(other);
  std::swap(vt, copy.vt);
  std::swap(m_text, copy.m_text);
  std::swap(m_object, copy.m_object);
  return *this;
}

_variant_t::~_variant_t() {
  if (m_object != nullptr) m_object->Release();
}

_variant_t::operator _bstr_t() const {
  if (vt == VT_BSTR) return m_text;
  if (vt == VT_EMPTY) return _bstr_t();
  throw _com_error(DISP_E_TYPEMISMATCH);
}
