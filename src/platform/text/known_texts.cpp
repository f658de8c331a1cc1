#include "platform/text/known_texts.h"

#include <functional>
#include <mutex>
#include <unordered_map>

namespace text {
namespace {

// Resources register before main, and conversions on other threads (the tests' pty peer)
// only ever read; the lock keeps a late registration safe all the same.
// Looked up by view, without a copy of the text at each conversion.
template <typename View>
struct ViewHash {
  using is_transparent = void;
  std::size_t operator()(View v) const { return std::hash<View>{}(v); }
};
struct Known {
  std::mutex lock;
  std::unordered_map<std::string, std::u16string, ViewHash<std::string_view>, std::equal_to<>> utf16;
  std::unordered_map<std::u16string, std::string, ViewHash<std::u16string_view>, std::equal_to<>> cp936;
};
Known& Texts() {
  static auto* known = new Known;  // kept past exit: conversions may run in late destructors
  return *known;
}

}  // namespace

void AddKnownText(std::string_view cp936, std::u16string_view utf16) {
  Known& known = Texts();
  const std::lock_guard guard(known.lock);
  known.utf16[std::string(cp936)] = std::u16string(utf16);
  known.cp936[std::u16string(utf16)] = std::string(cp936);
}

const std::u16string* KnownUtf16(std::string_view cp936) {
  Known& known = Texts();
  const std::lock_guard guard(known.lock);
  auto it = known.utf16.find(cp936);
  return it == known.utf16.end() ? nullptr : &it->second;
}

const std::string* KnownCp936(std::u16string_view utf16) {
  Known& known = Texts();
  const std::lock_guard guard(known.lock);
  auto it = known.cp936.find(utf16);
  return it == known.cp936.end() ? nullptr : &it->second;
}

}  // namespace text
