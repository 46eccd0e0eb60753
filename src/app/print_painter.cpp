// QPainter canvas.
#include "app/print_painter.hpp"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPen>
#include <QPrinter>
#include <QStringList>

#include "print/font_families.hpp"
#include "print/print_settings.hpp"

namespace vardex {
namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor colorOf(uint32_t argb) { return QColor::fromRgba(argb); }

bool deviceFailed(QPagedPaintDevice& device) {
  auto* printer = dynamic_cast<QPrinter*>(&device);
  return printer != nullptr && printer->printerState() == QPrinter::Error;
}

}  // namespace

PainterCanvas::PainterCanvas(QPagedPaintDevice& device) : mDevice(device) {
  mScale = mDevice.logicalDpiX() / 72.0;
}

PainterCanvas::~PainterCanvas() {
  if (mPainter.isActive()) mPainter.end();
}

const QFont& PainterCanvas::fontOf(const print::FontSpec& spec) {
  const QString key = fromUtf8(spec.family) + QString::number(spec.size) +
                      (spec.bold ? QStringLiteral("b") : QString()) +
                      (spec.italic ? QStringLiteral("i") : QString());
  auto it = mFonts.find(key);
  if (it != mFonts.end()) return *it;
  QFont font;
  QStringList families;
  for (const std::string& family : print::FontFamilies(spec.family)) families << fromUtf8(family);
  font.setFamilies(families);
  // The painter draws in points scaled to device pixels; the font is sized in those points.
  font.setPointSizeF(std::max(spec.size, 0.1) * 72.0 / mDevice.logicalDpiY());
  font.setBold(spec.bold);
  font.setItalic(spec.italic);
  font.setHintingPreference(QFont::PreferNoHinting);
  return *mFonts.insert(key, font);
}

double PainterCanvas::Width(const print::FontSpec& font, std::string_view utf8) {
  return QFontMetricsF(fontOf(font), &mDevice).horizontalAdvance(fromUtf8(utf8));
}

print::FontExtents PainterCanvas::Extents(const print::FontSpec& font) {
  const QFontMetricsF metrics(fontOf(font), &mDevice);
  return {metrics.ascent(), metrics.descent()};
}

double PainterCanvas::DigitWidth(const print::FontSpec& font) {
  QFont plain(fromUtf8(font.family));
  plain.setPointSizeF(std::max(font.size, 0.1) * 72.0 / mDevice.logicalDpiY());
  plain.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF metrics(plain, &mDevice);
  double widest = 0;
  for (char d = '0'; d <= '9'; ++d)
    widest = std::max(widest, metrics.horizontalAdvance(QChar::fromLatin1(d)));
  return widest;
}

void PainterCanvas::setPageSize(double width, double height) {
  const bool landscape = width > height;
  const QPageSize size(QSizeF(landscape ? height : width, landscape ? width : height),
                       QPageSize::Point, QString(), QPageSize::ExactMatch);
  mDevice.setPageLayout(QPageLayout(size,
                                    landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                    QMarginsF(), QPageLayout::Point));
}

void PainterCanvas::BeginPage(double width, double height) {
  auto* printer = dynamic_cast<QPrinter*>(&mDevice);
  if (mPages == 0) {
    setPageSize(width, height);
    if (printer != nullptr) printer->setFullPage(true);
    if (!mPainter.begin(&mDevice)) throw print::PrintError("无法开始打印：打印机或文件不可用");
    mLandscape = width > height;
  } else {
    // A printer keeps the paper of the job's first page; a PDF takes each page's own.
    if (printer == nullptr) {
      setPageSize(width, height);
      mLandscape = width > height;
    }
    if (!mDevice.newPage() || deviceFailed(mDevice)) {
      throw print::PrintError("打印在第 " + std::to_string(mPages + 1) + " 页中断：打印机出错");
    }
  }
  ++mPages;
  mPainter.resetTransform();
  mPainter.scale(mScale, mScale);
  if ((width > height) != mLandscape) {
    // The page turned a quarter to fit the printer's paper.
    mPainter.translate(height, 0);
    mPainter.rotate(90);
  }
  mPainter.setRenderHint(QPainter::Antialiasing, false);
}

void PainterCanvas::FillRect(const print::Rect& rect, uint32_t argb) {
  mPainter.fillRect(QRectF(rect.x, rect.y, rect.width, rect.height), colorOf(argb));
}

void PainterCanvas::Line(double x1, double y1, double x2, double y2, double width, print::Dash dash,
                         uint32_t argb) {
  QPen pen(colorOf(argb), width);
  pen.setCapStyle(Qt::FlatCap);
  if (dash == print::Dash::kDashed) pen.setStyle(Qt::DashLine);
  if (dash == print::Dash::kDotted) pen.setStyle(Qt::DotLine);
  mPainter.setPen(pen);
  mPainter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void PainterCanvas::Text(const print::FontSpec& font, uint32_t argb, double x, double y,
                         std::string_view utf8, const print::Rect& clip) {
  mPainter.save();
  mPainter.setClipRect(QRectF(clip.x, clip.y, clip.width, clip.height));
  mPainter.setFont(fontOf(font));
  mPainter.setPen(colorOf(argb));
  mPainter.drawText(QPointF(x, y), fromUtf8(utf8));
  mPainter.restore();
}

void PainterCanvas::EndPage() {
  if (deviceFailed(mDevice)) {
    throw print::PrintError("打印在第 " + std::to_string(mPages) + " 页中断：打印机出错");
  }
}

void PainterCanvas::Finish() {
  if (mPainter.isActive() && !mPainter.end()) throw print::PrintError("打印未能完成：打印机出错");
  if (deviceFailed(mDevice)) throw print::PrintError("打印未能完成：打印机出错");
}

}  // namespace vardex
