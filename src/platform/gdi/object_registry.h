#pragma once
// Objects by handle: the program's own, and wrappers for handles the program did not make
// (the paint contexts the system hands out, stock objects, a window's font).
#include <map>
#include <memory>

#include "platform/gdi/gdiobjects.h"

namespace gdi {

// Every CGdiObject holding a handle is listed under it, so that SelectObject and
// CFont::FromHandle hand back the program's own object for its own handle. Each platform
// keeps the list: the toolkit's backend in the handle's own slot, Windows' in a table.
void Register(HGDIOBJ handle, CGdiObject* object);
void Unregister(HGDIOBJ handle, CGdiObject* object);
CGdiObject* Registered(HGDIOBJ handle);

// One wrapper per handle and thread, kept for the thread's life and never destroyed, so it
// never deletes what it wraps. The handles met this way recur (stock objects, a window's
// font, the system's cached paint contexts), so the map stays small.
template <class Wrapper, class Handle>
Wrapper* WrapperOf(Handle handle) {
  if (!handle) return nullptr;
  thread_local auto* wrappers = new std::map<Handle, std::unique_ptr<Wrapper>>;
  std::unique_ptr<Wrapper>& wrapper = (*wrappers)[handle];
  if (!wrapper) {
    wrapper = std::make_unique<Wrapper>();
    wrapper->Attach(handle);
  }
  return wrapper.get();
}

// A handle's kind fixes its object's class: a pen handle is only ever held by a CPen.
template <class Object>
Object* ObjectOf(HGDIOBJ handle) {
  if (CGdiObject* own = Registered(handle)) return static_cast<Object*>(own);
  return WrapperOf<Object>(handle);
}

}  // namespace gdi
