#include "platform/gdi/gdiobjects.h"

#include <mutex>
#include <utility>

#include "platform/gdi/object_registry.h"

namespace {

std::mutex registryLock;
std::map<HGDIOBJ, CGdiObject*>& Registry() {
  static auto* objects = new std::map<HGDIOBJ, CGdiObject*>;
  return *objects;
}

// An object that already holds a handle keeps it, and the new one is freed at once.
BOOL Take(CGdiObject& object, HGDIOBJ handle) {
  if (object.Attach(handle)) return TRUE;
  if (handle) DeleteObject(handle);
  return FALSE;
}

}  // namespace

void gdi::Register(HGDIOBJ handle, CGdiObject* object) {
  const std::lock_guard lock(registryLock);
  Registry()[handle] = object;
}

void gdi::Unregister(HGDIOBJ handle, CGdiObject* object) {
  const std::lock_guard lock(registryLock);
  if (auto it = Registry().find(handle); it != Registry().end() && it->second == object) {
    Registry().erase(it);
  }
}

CGdiObject* gdi::Registered(HGDIOBJ handle) {
  const std::lock_guard lock(registryLock);
  auto it = Registry().find(handle);
  return it == Registry().end() ? nullptr : it->second;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
  if (!hObject || m_hObject) return FALSE;
  m_hObject = hObject;
  gdi::Register(hObject, this);
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  if (m_hObject) gdi::Unregister(m_hObject, this);
  return std::exchange(m_hObject, nullptr);
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  return ::DeleteObject(Detach());
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
  return Take(*this, ::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
  return Take(*this, ::CreateSolidBrush(crColor));
}

CFont* CFont::FromHandle(HFONT hFont) { return gdi::ObjectOf<CFont>(hFont); }

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  return Take(*this, ::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}
