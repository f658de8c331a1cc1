#include "platform/data/variant.h"

#include <string_view>
#include <utility>

#include "platform/data/com_error.h"
#include "platform/text/characters.h"
#include "platform/text/codepage.h"

namespace {

// The short text passed here (column names, card numbers) is mostly ASCII, which skips
// the converter.
std::u16string Widen(std::string_view cp936) {
  if (text::IsAscii(cp936)) return std::u16string(cp936.begin(), cp936.end());
  return text::Cp936ToUtf16(cp936);
}

}  // namespace

_bstr_t::_bstr_t(const char* cp936) : _bstr_t(Widen(cp936 ? cp936 : "")) {}

_bstr_t::_bstr_t(const CString& cp936) : _bstr_t(Widen(cp936.bytes())) {}

_bstr_t::_bstr_t(std::u16string_view wide) : _bstr_t(std::u16string(wide)) {}

_bstr_t::_bstr_t(std::u16string&& wide) {
  if (!wide.empty()) m_text = std::make_shared<Text>(Text{std::move(wide), {}, false});
}

_bstr_t::operator const char*() const { return narrow().c_str(); }

const std::u16string& _bstr_t::wide() const {
  static const std::u16string empty;
  return m_text ? m_text->wide : empty;
}

const std::string& _bstr_t::narrow() const {
  static const std::string empty;
  if (!m_text) return empty;
  if (!m_text->narrowMade) {
    const std::u16string_view wide = m_text->wide;
    m_text->narrow = text::IsAscii(wide) ? std::string(wide.begin(), wide.end()) : text::Utf16ToCp936(wide);
    m_text->narrowMade = true;
  }
  return m_text->narrow;
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
