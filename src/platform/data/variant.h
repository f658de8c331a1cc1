#pragma once
// The tagged value the data-access objects pass around: nothing, a database NULL, text, or
// a counted reference to an object (how a connection is handed to a result set).
#include <utility>

#include "platform/data/bstr.h"
#include "platform/data/com.h"

#if defined(_WIN32)
// VARTYPE, its VT_ tags and DISP_E_TYPEMISMATCH are the platform's own there.
#include <oleauto.h>
#else
using VARTYPE = unsigned short;
enum VARENUM : VARTYPE { VT_EMPTY = 0, VT_NULL = 1, VT_BSTR = 8, VT_DISPATCH = 9 };

// The platform's code for a value that cannot be converted as asked.
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
#endif

template <class T>
class _com_ptr_t;

class _variant_t {
 public:
  VARTYPE vt = VT_EMPTY;

  _variant_t() = default;
  _variant_t(const char* cp936) : vt(VT_BSTR), m_text(cp936) {}       // NOLINT: implicit
  _variant_t(const CString& cp936) : vt(VT_BSTR), m_text(cp936) {}    // NOLINT: implicit
  _variant_t(_bstr_t text) : vt(VT_BSTR), m_text(std::move(text)) {}  // NOLINT: implicit
  // Holds its own reference to the object, which may be null.
  _variant_t(ComObject* object, bool addRef = true);  // NOLINT: implicit
  template <class T>
  _variant_t(const _com_ptr_t<T>& holder)  // NOLINT: implicit, as the platform's
      : _variant_t(static_cast<ComObject*>(holder.GetInterfacePtr())) {}

  _variant_t(const _variant_t& other);
  _variant_t(_variant_t&& other) noexcept;
  _variant_t& operator=(const _variant_t& other);
  _variant_t& operator=(_variant_t&& other) noexcept;
  ~_variant_t();

  // Text as text and nothing as the empty text; a NULL or an object raises
  // DISP_E_TYPEMISMATCH, so a database NULL never passes silently for a text.
  operator _bstr_t() const;  // NOLINT: implicit, as the platform's

  // The object of a VT_DISPATCH value, else null; no reference is added.
  ComObject* object() const { return vt == VT_DISPATCH ? m_object : nullptr; }

 private:
  _bstr_t m_text;
  ComObject* m_object = nullptr;
};
