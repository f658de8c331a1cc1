#pragma once
// Wrappers for handles the program did not make: the paint contexts the system hands out,
// the objects a context had selected before, a window's font.
#include <map>
#include <memory>

namespace gdi {

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

}  // namespace gdi
