// The printer backend of the print layout: draws laid-out pages with a QPainter on a printer,
// a PDF writer or a preview, page after page.
#pragma once

#include <QFont>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>

#include "print/canvas.hpp"

namespace vardex {

class PainterCanvas final : public print::Canvas {
 public:
  /// Draws on `device`, which has not begun painting yet; the first page's size is set when it
  /// begins. Texts are measured against the device's resolution.
  explicit PainterCanvas(QPagedPaintDevice& device);
  ~PainterCanvas() override;

  double Width(const print::FontSpec& font, std::string_view utf8) override;
  print::FontExtents Extents(const print::FontSpec& font) override;
  double DigitWidth(const print::FontSpec& font) override;

  void BeginPage(double width, double height) override;
  void FillRect(const print::Rect& rect, uint32_t argb) override;
  void Line(double x1, double y1, double x2, double y2, double width, print::Dash dash,
            uint32_t argb) override;
  void Text(const print::FontSpec& font, uint32_t argb, double x, double y, std::string_view utf8,
            const print::Rect& clip) override;
  /// Throws PrintError when the device failed (a printer gone, a disk full).
  void EndPage() override;

  /// Ends the document. Throws PrintError when the device failed.
  void Finish();

 private:
  const QFont& fontOf(const print::FontSpec& spec);
  void setPageSize(double width, double height);

  QPagedPaintDevice& mDevice;
  QPainter mPainter;
  double mScale = 1;  ///< device pixels per point
  int mPages = 0;
  bool mLandscape = false;  ///< the device's paper lies landscape
  QHash<QString, QFont> mFonts;
};

}  // namespace vardex
