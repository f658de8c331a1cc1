// The platform's object calls over the toolkit. A handle is the address of its record in a
// slab of slots that never move; a freed slot goes on a free list and is the next one
// made, so a brush made and deleted in every paint costs no allocation. The slot also
// names the program's object that holds the handle. DeleteObject frees any kind and
// refuses a handle that is not a live slot, as the platform does. The program makes,
// selects and deletes drawing objects on its one GUI thread only, so the slab takes no lock.
#include "platform/gdi/gdi_backend.h"
#include "platform/gdi/object_registry.h"
#include "platform/gdi/qt/objects.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace {

enum class Kind : unsigned char { Free, Pen, Brush, Font, Region };

struct Slot {
  Slot() {}
  ~Slot() { Clear(); }
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;

  // The handle is the record's address, whichever kind it holds.
  const void* Handle() const { return &pen; }

  void Clear() {
    owner = nullptr;
    switch (std::exchange(kind, Kind::Free)) {
      case Kind::Font: font.~HFONT__(); break;
      case Kind::Region: region.~HRGN__(); break;
      default: break;  // pens and brushes are plain values
    }
  }

  union {
    HPEN__ pen;
    HBRUSH__ brush;
    HFONT__ font;
    HRGN__ region;
    Slot* nextFree = nullptr;
  };
  Kind kind = Kind::Free;
  CGdiObject* owner = nullptr;
};

class Slab {
 public:
  Slot* Take() {
    if (!m_free) Grow();
    return std::exchange(m_free, m_free->nextFree);
  }

  void Give(Slot* slot) {
    slot->Clear();
    slot->nextFree = std::exchange(m_free, slot);
  }

  // The live slot whose record is at `handle`, or null.
  Slot* Find(const void* handle) const {
    const auto at = reinterpret_cast<std::uintptr_t>(handle);
    for (const std::unique_ptr<Slot[]>& chunk : m_chunks) {
      const auto first = reinterpret_cast<std::uintptr_t>(chunk.get());
      if (at < first || at >= first + kChunkSlots * sizeof(Slot)) continue;
      Slot* slot = &chunk[(at - first) / sizeof(Slot)];
      return slot->kind != Kind::Free && slot->Handle() == handle ? slot : nullptr;
    }
    return nullptr;
  }

 private:
  // A paint's gradient holds 64 brushes at once, beside the window's pens and fonts.
  static constexpr size_t kChunkSlots = 256;

  void Grow() {
    m_chunks.push_back(std::make_unique<Slot[]>(kChunkSlots));
    Slot* chunk = m_chunks.back().get();
    for (size_t i = kChunkSlots; i-- > 0;) chunk[i].nextFree = std::exchange(m_free, &chunk[i]);
  }

  std::vector<std::unique_ptr<Slot[]>> m_chunks;
  Slot* m_free = nullptr;
};

Slab& Records() {
  static auto* slab = new Slab;
  return *slab;
}

}  // namespace

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle != PS_SOLID && iStyle != PS_INSIDEFRAME) return nullptr;
  Slot* slot = Records().Take();
  slot->kind = Kind::Pen;
  // Width 0 is the platform's one-pixel pen.
  return new (&slot->pen) HPEN__{iStyle, std::max(cWidth, 1), color};
}

HBRUSH CreateSolidBrush(COLORREF color) {
  Slot* slot = Records().Take();
  slot->kind = Kind::Brush;
  return new (&slot->brush) HBRUSH__{color};
}

HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  gdi::Shape shape = gdi::RoundRectShape(x1, y1, x2, y2, w, h);
  Slot* slot = Records().Take();
  slot->kind = Kind::Region;
  return new (&slot->region) HRGN__{std::move(shape)};
}

BOOL DeleteObject(HGDIOBJ ho) {
  Slot* slot = ho ? Records().Find(ho) : nullptr;
  if (!slot) return FALSE;
  Records().Give(slot);
  return TRUE;
}

HFONT gdi::CreateFontHandle(std::shared_ptr<const FontData> data) {
  Slot* slot = Records().Take();
  slot->kind = Kind::Font;
  return new (&slot->font) HFONT__{std::move(data)};
}

void gdi::Register(HGDIOBJ handle, CGdiObject* object) {
  if (Slot* slot = Records().Find(handle)) slot->owner = object;
}

void gdi::Unregister(HGDIOBJ handle, CGdiObject* object) {
  if (Slot* slot = Records().Find(handle); slot && slot->owner == object) slot->owner = nullptr;
}

CGdiObject* gdi::Registered(HGDIOBJ handle) {
  const Slot* slot = handle ? Records().Find(handle) : nullptr;
  return slot ? slot->owner : nullptr;
}
