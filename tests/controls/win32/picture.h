#pragma once
// A picture of what a device context drew, as the platform left it in a DIB section: its
// pixels copied out, so that pictures compare and outlive the context.
#include <utility>
#include <vector>

#include "platform/gdi/gditypes.h"

class Picture {
 public:
  Picture(int width, int height, std::vector<COLORREF> pixels)
      : m_width(width), m_height(height), m_pixels(std::move(pixels)) {}

  int width() const { return m_width; }
  int height() const { return m_height; }
  COLORREF pixel(int x, int y) const { return m_pixels.at(static_cast<size_t>(y * m_width + x)); }
  friend bool operator==(const Picture&, const Picture&) = default;

 private:
  int m_width;
  int m_height;
  std::vector<COLORREF> m_pixels;
};
