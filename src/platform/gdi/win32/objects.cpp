// Which of the program's objects holds each of the platform's own handles. The platform
// knows nothing of them, so they are kept in a table by handle: open addressing with linear
// probing in one array that doubles when half full, so that registering an object and
// forgetting it cost no allocation. The program makes and selects drawing objects on its
// one GUI thread only, so the table takes no lock.
#include "platform/gdi/gdi_backend.h"

#include <cstdint>
#include <vector>

#include "platform/gdi/object_registry.h"

namespace {

class Owners {
 public:
  void Set(HGDIOBJ handle, CGdiObject* object) {
    if (2 * (m_count + 1) > m_entries.size()) Grow();
    Entry& entry = m_entries[Probe(handle)];
    if (!entry.handle) ++m_count;
    entry = {handle, object};
  }

  CGdiObject* Get(HGDIOBJ handle) const { return m_entries[Probe(handle)].owner; }

  // Forgets `handle` only while `object` holds it.
  void Erase(HGDIOBJ handle, CGdiObject* object) {
    size_t hole = Probe(handle);
    if (!m_entries[hole].handle || m_entries[hole].owner != object) return;
    // Entries after the hole that would no longer be found move back into it.
    const size_t mask = m_entries.size() - 1;
    for (size_t next = (hole + 1) & mask; m_entries[next].handle; next = (next + 1) & mask) {
      const size_t home = Home(m_entries[next].handle);
      if (((next - home) & mask) >= ((next - hole) & mask)) {
        m_entries[hole] = m_entries[next];
        hole = next;
      }
    }
    m_entries[hole] = {};
    --m_count;
  }

 private:
  struct Entry {
    HGDIOBJ handle = nullptr;
    CGdiObject* owner = nullptr;
  };

  size_t Home(HGDIOBJ handle) const {
    // Handles are aligned addresses or small numbers: a multiplicative hash spreads both.
    const auto key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & (m_entries.size() - 1);
  }

  // The entry holding `handle`, or the empty one where it would go.
  size_t Probe(HGDIOBJ handle) const {
    const size_t mask = m_entries.size() - 1;
    size_t i = Home(handle);
    while (m_entries[i].handle && m_entries[i].handle != handle) i = (i + 1) & mask;
    return i;
  }

  void Grow() {
    std::vector<Entry> old(m_entries.size() * 2);
    old.swap(m_entries);
    m_count = 0;
    for (const Entry& entry : old) {
      if (entry.handle) Set(entry.handle, entry.owner);
    }
  }

  std::vector<Entry> m_entries = std::vector<Entry>(256);
  size_t m_count = 0;
};

Owners& Registry() {
  static auto* owners = new Owners;
  return *owners;
}

}  // namespace

void gdi::Register(HGDIOBJ handle, CGdiObject* object) { Registry().Set(handle, object); }
void gdi::Unregister(HGDIOBJ handle, CGdiObject* object) { Registry().Erase(handle, object); }
CGdiObject* gdi::Registered(HGDIOBJ handle) { return handle ? Registry().Get(handle) : nullptr; }
