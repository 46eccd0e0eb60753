// Units and font of the form designs: lengths in twips (1/1440 inch) and the dialogs' Song face.
#pragma once

#include <QFont>
#include <QRect>

namespace vardex {

/// Pixels of a length given in twips, at 96 dpi (15 twips per pixel), rounded to the nearest
/// pixel. Negative lengths round symmetrically.
constexpr int twipsToPixels(int twips) {
  return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

/// A rectangle designed in twips (left, top, width, height), in pixels.
constexpr QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
               twipsToPixels(height));
}

/// "宋体" (SimSun) at `pointSize`, falling back to the Song-style Noto Serif CJK SC and then to
/// Noto Sans CJK SC where SimSun is not installed, so that Chinese text is readable everywhere.
QFont songFont(int pointSize, bool bold);

/// `designed` grown, about its own centre line, to at least the line height of `font`. The forms
/// were designed for SimSun's 12-pixel line at 9 points; the fallback faces have taller lines, and
/// a label kept at the designed height would cut its text.
QRect fitLineHeight(const QRect& designed, const QFont& font);

}  // namespace vardex
