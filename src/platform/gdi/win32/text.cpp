#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/gdi_backend.h"
#include "platform/text/win32/wide.h"

BOOL GetTextExtentPoint32Cp936(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  if (c < 0 || (c > 0 && !lpString)) return FALSE;
  const std::wstring wide = c > 0 ? text::Cp936ToWide(std::string_view(lpString, static_cast<size_t>(c)))
                                  : std::wstring();
  return GetTextExtentPoint32W(hdc, wide.c_str(), static_cast<int>(wide.size()), psizl);
}

BOOL DrawStateCp936(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC qfnCallBack, LPARAM lData, WPARAM wData, int x, int y,
                    int cx, int cy, UINT uFlags) {
  const UINT kind = uFlags & 0x000F;
  if (kind != DST_TEXT && kind != DST_PREFIXTEXT) {
    // Icons, bitmaps and callbacks carry no text: the wide call takes them as they are.
    return DrawStateW(hdc, hbrFore, qfnCallBack, lData, wData, x, y, cx, cy, uFlags);
  }
  const auto* bytes = reinterpret_cast<LPCSTR>(lData);
  if (!bytes) return FALSE;
  const std::wstring wide = text::Cp936ToWide(
      std::string_view(bytes, wData ? static_cast<size_t>(wData) : std::strlen(bytes)));
  return DrawStateW(hdc, hbrFore, qfnCallBack, reinterpret_cast<LPARAM>(wide.c_str()), static_cast<WPARAM>(wide.size()),
                    x, y, cx, cy, uFlags);
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
  SIZE size{0, 0};
  ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
  return size;
}

BOOL CDC::DrawState(CPoint pt, CSize size, LPCSTR lpszText, UINT nFlags, BOOL bPrefixText, int nTextLen, CBrush*) {
  const UINT kind = bPrefixText ? DST_PREFIXTEXT : DST_TEXT;
  return ::DrawStateA(m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(lpszText),
                      static_cast<WPARAM>(std::max(nTextLen, 0)), pt.x, pt.y, size.cx, size.cy, nFlags | kind);
}
