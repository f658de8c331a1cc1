#pragma once
// The counted holder of a data-access object: null or one reference. Reaching through an
// empty holder raises E_POINTER before any object is touched, as the platform's does.
#include <cstddef>
#include <utility>

#include "platform/data/com.h"
#include "platform/data/com_error.h"

template <class T>
class _com_ptr_t {
 public:
  _com_ptr_t() = default;
  _com_ptr_t(std::nullptr_t) {}  // NOLINT: implicit
  _com_ptr_t(const _com_ptr_t& other) : m_object(other.m_object) {
    if (m_object != nullptr) m_object->AddRef();
  }
  _com_ptr_t(_com_ptr_t&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  _com_ptr_t& operator=(_com_ptr_t other) noexcept {
    std::swap(m_object, other.m_object);
    return *this;
  }
  _com_ptr_t& operator=(std::nullptr_t) {
    Drop();
    return *this;
  }
  ~_com_ptr_t() { Drop(); }

  // Drops what is held and creates a new object; on failure the holder stays empty.
  HRESULT CreateInstance(const CLSID& clsid, void* outer = nullptr, DWORD context = CLSCTX_ALL) {
    (void)context;  // every class here is in-process
    Drop();
    ComObject* object = nullptr;
    HRESULT hr = com_detail::CreateObject(clsid, outer, T::ClassId(), &object);
    if (SUCCEEDED(hr)) m_object = static_cast<T*>(object);
    return hr;
  }

  T* operator->() const {
    if (m_object == nullptr) throw _com_error(E_POINTER);
    return m_object;
  }
  T* GetInterfacePtr() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }
  friend bool operator==(const _com_ptr_t& p, std::nullptr_t) { return p.m_object == nullptr; }

  // Gives up the held reference; an empty holder raises E_POINTER.
  void Release() {
    if (m_object == nullptr) throw _com_error(E_POINTER);
    Drop();
  }

 private:
  void Drop() {
    if (T* object = std::exchange(m_object, nullptr)) object->ComObject::Release();
  }

  T* m_object = nullptr;
};
