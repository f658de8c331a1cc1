// Pictures painted into a memory device context over a 32-bit top-down DIB section, which
// starts as a paint's context does: black pen, white brush, the system font, opaque text.
#include "probe_button.h"

#include <stdexcept>

Picture Paint(int width, int height, COLORREF fill, const std::function<void(CDC*)>& draw) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top, as the pixels are addressed
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dc || !dib) throw std::runtime_error("no memory device context for a picture");
  HGDIOBJ old = SelectObject(dc, dib);

  HBRUSH background = CreateSolidBrush(fill);
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, background);
  DeleteObject(background);
  draw(CDC::FromHandle(dc));
  GdiFlush();

  // A DIB pixel is 0x00RRGGBB, the other way round from a COLORREF.
  std::vector<COLORREF> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  const auto* rgb = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = RGB(rgb[i] >> 16 & 0xFF, rgb[i] >> 8 & 0xFF, rgb[i] & 0xFF);
  }
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
  return Picture(width, height, std::move(pixels));
}

COLORREF At(const Picture& picture, int x, int y) { return picture.pixel(x, y); }
