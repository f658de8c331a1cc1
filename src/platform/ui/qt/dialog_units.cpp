#include "platform/ui/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>
#include <iterator>

namespace {
// The platform's MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}
}  // namespace

DialogUnits::DialogUnits(const QString& family, int pointSize, int weight) {
  // The named font, else the first of Debian's Chinese fonts installed to stand in for it.
  // One family only: the toolkit works out a fallback list for every family it is given.
  const QString families[] = {family, QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
                              QStringLiteral("AR PL UMing TW"), QStringLiteral("WenQuanYi Zen Hei")};
  const QString* installed = std::find_if(std::begin(families), std::end(families),
                                          [](const QString& f) { return QFontDatabase::hasFamily(f); });
  m_font.setFamily(installed != std::end(families) ? *installed : family);
  // Point sizes become pixels at the platform's 96 dots per inch, as the templates assume.
  m_font.setPixelSize(MulDiv(pointSize, 96, 72));
  m_font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
  m_font.setStyleStrategy(QFont::NoAntialias);
  QFontMetrics metrics(m_font);
  int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = (width / 26 + 1) / 2;
  m_baseY = metrics.height();
}

QRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
  return QRect(MulDiv(x, m_baseX, 4), MulDiv(y, m_baseY, 8), MulDiv(cx, m_baseX, 4), MulDiv(cy, m_baseY, 8));
}
