// The drawing surface of the print layout. Lengths are points (1/72 inch) on the paper, with the
// origin at its top-left corner and y growing downwards. A backend (PDF, a printer) implements
// Canvas; the layout asks it only how wide a text is and how high a font stands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vardex::print {

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  double Right() const noexcept { return x + width; }
  double Bottom() const noexcept { return y + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

/// A font as the workbook names it, at the size it is drawn (scaling already applied). The
/// backend finds the face through the system's fonts, with a CJK face for what the named one
/// cannot show.
struct FontSpec {
  std::string family;
  double size = 11;  ///< points
  bool bold = false;
  bool italic = false;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct FontExtents {
  double ascent = 0;   ///< above the baseline, points
  double descent = 0;  ///< below the baseline, points (positive)
};

/// The UTF-8 code point starting at `i` of `s`; advances `i` past it.
inline char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
  char32_t cp = c & (0x3Fu >> extra);
  while (extra-- > 0 && i < s.size()) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3Fu);
  return cp;
}

enum class Dash : uint8_t { kSolid, kDashed, kDotted };

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  /// Advance width of a UTF-8 text set in one line, in points.
  virtual double Width(const FontSpec& font, std::string_view utf8) = 0;
  virtual FontExtents Extents(const FontSpec& font) = 0;
  /// The widest digit of the face the system gives for the font's name alone, without any
  /// fallback for other scripts: the unit of column widths, as spreadsheet programs measure it.
  virtual double DigitWidth(const FontSpec& font) = 0;
};

class Canvas : public TextMeasure {
 public:
  /// Starts a page of `width` by `height` points.
  virtual void BeginPage(double width, double height) = 0;
  virtual void FillRect(const Rect& rect, uint32_t argb) = 0;
  virtual void Line(double x1, double y1, double x2, double y2, double width, Dash dash,
                    uint32_t argb) = 0;
  /// Draws `utf8` starting at `x` on the baseline `y`, clipped to `clip`.
  virtual void Text(const FontSpec& font, uint32_t argb, double x, double y, std::string_view utf8,
                    const Rect& clip) = 0;
  /// Ends the page. A backend whose device failed throws PrintError.
  virtual void EndPage() = 0;
};

}  // namespace vardex::print
