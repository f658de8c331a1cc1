#include "platform/data/variant.h"

#include <string_view>
#include <utility>

#include "platform/data/com_error.h"
#include "platform/text/characters.h"
#include "platform/text/codepage.h"

std::shared_ptr<_bstr_t::Text> _bstr_t::Ascii(std::string&& ascii) {
  if (ascii.empty()) return nullptr;
  return std::make_shared<Text>(Text{{}, std::move(ascii)});
}

std::shared_ptr<_bstr_t::Text> _bstr_t::Wide(std::u16string&& wide) {
  if (wide.empty()) return nullptr;
  return std::make_shared<Text>(Text{std::move(wide), {}});
}

_bstr_t::_bstr_t(const char* cp936) : _bstr_t(CString(cp936)) {}

_bstr_t::_bstr_t(const CString& cp936) {
  const std::string& bytes = cp936.bytes();
  m_text = text::IsAscii(std::string_view(bytes)) ? Ascii(std::string(bytes)) : Wide(text::Cp936ToUtf16(bytes));
}

_bstr_t::_bstr_t(std::u16string_view wide)
    : m_text(text::IsAscii(wide) ? Ascii(std::string(wide.begin(), wide.end())) : Wide(std::u16string(wide))) {}

_bstr_t::operator const char*() const { return narrow().c_str(); }

const std::u16string& _bstr_t::wide() const {
  static const std::u16string empty;
  if (!m_text) return empty;
  if (m_text->wide.empty()) m_text->wide.assign(m_text->narrow.begin(), m_text->narrow.end());  // ASCII
  return m_text->wide;
}

const std::string& _bstr_t::narrow() const {
  static const std::string empty;
  if (!m_text) return empty;
  if (m_text->narrow.empty()) m_text->narrow = text::Utf16ToCp936(m_text->wide);
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
