// The platform's object calls over the toolkit: each handle points at its record, and the
// records live in one table, so DeleteObject frees any of them and refuses a handle it
// does not know, as the platform does.
#include "platform/gdi/gdi_backend.h"
#include "platform/gdi/qt/objects.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {

std::mutex g_recordsMutex;
std::unordered_map<HGDIOBJ, std::unique_ptr<gdi::Record>>& Records() {
  static auto* records = new std::unordered_map<HGDIOBJ, std::unique_ptr<gdi::Record>>;
  return *records;
}

template <class Handle>
Handle Keep(std::unique_ptr<std::remove_pointer_t<Handle>> record) {
  Handle handle = record.get();
  const std::lock_guard lock(g_recordsMutex);
  Records()[handle] = std::move(record);
  return handle;
}

}  // namespace

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle != PS_SOLID && iStyle != PS_INSIDEFRAME) return nullptr;
  // Width 0 is the platform's one-pixel pen.
  return Keep<HPEN>(std::make_unique<HPEN__>(iStyle, std::max(cWidth, 1), color));
}

HBRUSH CreateSolidBrush(COLORREF color) { return Keep<HBRUSH>(std::make_unique<HBRUSH__>(color)); }

HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  return Keep<HRGN>(std::make_unique<HRGN__>(gdi::RoundRectShape(x1, y1, x2, y2, w, h)));
}

BOOL DeleteObject(HGDIOBJ ho) {
  std::unique_ptr<gdi::Record> record;
  {
    const std::lock_guard lock(g_recordsMutex);
    auto it = Records().find(ho);
    if (it == Records().end()) return FALSE;
    record = std::move(it->second);
    Records().erase(it);
  }
  return TRUE;
}

HFONT gdi::CreateFontHandle(std::shared_ptr<const FontData> data) {
  return Keep<HFONT>(std::make_unique<HFONT__>(std::move(data)));
}
