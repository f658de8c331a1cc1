#pragma once
// Dialog units from the dialog font, computed as the platform does: horizontal units from
// the average width of A-Z a-z, vertical units from the font height.
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class DialogUnits {
 public:
  DialogUnits(const QString& family, int pointSize, int weight);
  const QFont& font() const { return m_font; }
  QRect ToPixels(int x, int y, int cx, int cy) const;

 private:
  QFont m_font;
  int m_baseX;
  int m_baseY;
};
