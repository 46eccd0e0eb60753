// Units and font of the form designs.
#include "controls/design_units.hpp"

#include <QFontMetrics>
#include <QStringList>

namespace vardex {

QFont songFont(int pointSize, bool bold) {
  QFont font;
  font.setFamilies({QString::fromUtf8("宋体"), QStringLiteral("SimSun"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
  font.setPointSize(pointSize);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  return font;
}

QRect fitLineHeight(const QRect& designed, const QFont& font) {
  const int extra = QFontMetrics(font).height() - designed.height();
  if (extra <= 0) return designed;
  return designed.adjusted(0, -(extra / 2), 0, extra - extra / 2);
}

}  // namespace vardex
