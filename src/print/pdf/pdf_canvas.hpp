// The PDF backend of the print layout, on cairo and pango: fonts found through fontconfig
// (the workbook's font where installed, a CJK face for what it cannot show), embedded as
// subsets, and every text kept as text, so that the document can be searched and copied from.
// Texts are set glyph by glyph from a per-font cache of glyphs and advances, which keeps a record
// of a million cells quick to write.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "print/canvas.hpp"

namespace vardex::print {

struct PdfFontCache;

/// Measures texts as PdfCanvas sets them, without a document.
class PdfTextMeasure final : public TextMeasure {
 public:
  PdfTextMeasure();
  ~PdfTextMeasure() override;
  double Width(const FontSpec& font, std::string_view utf8) override;
  FontExtents Extents(const FontSpec& font) override;
  double DigitWidth(const FontSpec& font) override;

 private:
  std::unique_ptr<PdfFontCache> fonts_;
};

class PdfCanvas final : public Canvas {
 public:
  /// Receives the document's bytes in order; may throw, which ends the document (the error
  /// comes out of the drawing call or Finish()).
  using Sink = std::function<void(std::string_view bytes)>;

  PdfCanvas(Sink sink, const std::string& title);
  ~PdfCanvas() override;

  double Width(const FontSpec& font, std::string_view utf8) override;
  FontExtents Extents(const FontSpec& font) override;
  double DigitWidth(const FontSpec& font) override;

  void BeginPage(double width, double height) override;
  void FillRect(const Rect& rect, uint32_t argb) override;
  void Line(double x1, double y1, double x2, double y2, double width, Dash dash,
            uint32_t argb) override;
  void Text(const FontSpec& font, uint32_t argb, double x, double y, std::string_view utf8,
            const Rect& clip) override;
  void EndPage() override;

  /// Writes the rest of the document (fonts, cross references). Throws PrintError, or what the
  /// sink threw, when the document could not be written.
  void Finish();

 private:
  struct Document;
  std::unique_ptr<Document> doc_;
};

}  // namespace vardex::print
