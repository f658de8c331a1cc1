#include "platform/data/variant.h"

#include <string_view>
#include <utility>

#include "platform/data/com_error.h"
#include "platform/text/characters.h"
#include "platform/text/codepage.h"

_bstr_t::_bstr_t(const char* cp936) : _bstr_t(CString(cp936)) {}

_bstr_t::_bstr_t(const CString& cp936) {
  const std::string& bytes = cp936.bytes();
  if (text::IsAscii(std::string_view(bytes))) {
    m_ascii = bytes;
  } else {
    m_wide = std::make_shared<Wide>(Wide{text::Cp936ToUtf16(bytes), {}});
    m_isAscii = false;
  }
}

_bstr_t::_bstr_t(std::u16string_view wide) {
  if (text::IsAscii(wide)) {
    m_ascii.assign(wide.begin(), wide.end());
  } else {
    m_wide = std::make_shared<Wide>(Wide{std::u16string(wide), {}});
    m_isAscii = false;
  }
}

_bstr_t _bstr_t::FromAscii(std::string_view ascii) {
  _bstr_t text;
  text.m_ascii = ascii;
  return text;
}

_bstr_t::operator const char*() const { return narrow().c_str(); }

const std::u16string& _bstr_t::wide() const {
  static const std::u16string empty;
  if (m_isAscii) {
    if (m_ascii.empty()) return empty;
    if (!m_wide) m_wide = std::make_shared<Wide>(Wide{std::u16string(m_ascii.begin(), m_ascii.end()), {}});
  }
  return m_wide->wide;
}

const std::string& _bstr_t::narrow() const {
  if (m_isAscii) return m_ascii;
  if (m_wide->narrow.empty()) m_wide->narrow = text::Utf16ToCp936(m_wide->wide);
  return m_wide->narrow;
}

_variant_t::_variant_t(ComObject* object, bool addRef) : vt(VT_DISPATCH), m_object(object) {
  if (m_object != nullptr && addRef) m_object->AddRef();
}

_variant_t::_variant_t(const _variant_t& other) : vt(other.vt), m_text(other.m_text), m_object(other.m_object) {
  if (m_object != nullptr) m_object->AddRef();
}

_variant_t::_variant_t(_variant_t&& other) noexcept
    : vt(other.vt), m_text(std::move(other.m_text)), m_object(std::exchange(other.m_object, nullptr)) {
  other.vt = VT_EMPTY;
}

_variant_t& _variant_t::operator=(const _variant_t& other) {
  _variant_t copy(other);
  return *this = std::move(copy);
}

_variant_t& _variant_t::operator=(_variant_t&& other) noexcept {
  std::swap(vt, other.vt);
  std::swap(m_text, other.m_text);
  std::swap(m_object, other.m_object);
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
