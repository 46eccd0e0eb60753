// Tool bar pictures, drawn as vectors so that each size is sharp.
#include "app/tool_pictures.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace vardex {
namespace {

const QColor kDiscLight(120, 190, 240);
const QColor kDiscDark(64, 145, 215);

// A sheet of paper with a folded top-right corner, in a unit square scaled by the painter.
QPainterPath paperOutline() {
  QPainterPath path;
  path.moveTo(0.30, 0.20);
  path.lineTo(0.58, 0.20);
  path.lineTo(0.72, 0.34);
  path.lineTo(0.72, 0.80);
  path.lineTo(0.30, 0.80);
  path.closeSubpath();
  return path;
}

void drawNewProject(QPainter& p) {
  p.setPen(QPen(Qt::white, 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(paperOutline());
  p.drawLine(QPointF(0.58, 0.20), QPointF(0.58, 0.34));
  p.drawLine(QPointF(0.58, 0.34), QPointF(0.72, 0.34));
  p.setPen(QPen(Qt::white, 0.07, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(0.51, 0.46), QPointF(0.51, 0.68));
  p.drawLine(QPointF(0.40, 0.57), QPointF(0.62, 0.57));
}

void drawCalculate(QPainter& p) {
  p.setPen(QPen(Qt::white, 0.03, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  const QPointF triangle[] = {{0.39, 0.27}, {0.75, 0.50}, {0.39, 0.73}};
  p.drawPolygon(triangle, 3);
}

void drawSave(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  QPainterPath body;
  body.moveTo(0.26, 0.26);
  body.lineTo(0.66, 0.26);
  body.lineTo(0.74, 0.34);
  body.lineTo(0.74, 0.74);
  body.lineTo(0.26, 0.74);
  body.closeSubpath();
  // The shutter and the label are holes through which the disc shows.
  QPainterPath holes;
  holes.addRect(QRectF(0.36, 0.26, 0.26, 0.15));
  holes.addRect(QRectF(0.34, 0.52, 0.32, 0.22));
  p.drawPath(body.subtracted(holes));
  p.drawRect(QRectF(0.54, 0.29, 0.05, 0.09));
}

void drawProjectFiles(QPainter& p) {
  p.setPen(QPen(Qt::white, 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(paperOutline());
  p.setPen(QPen(Qt::white, 0.045, Qt::SolidLine, Qt::RoundCap));
  for (double y : {0.42, 0.53, 0.64}) p.drawLine(QPointF(0.38, y), QPointF(0.64, y));
  p.drawLine(QPointF(0.38, 0.31), QPointF(0.52, 0.31));
}

void drawSettings(QPainter& p) {
  QPainterPath gear;
  const QPointF centre(0.5, 0.5);
  constexpr int kTeeth = 8;
  for (int i = 0; i < kTeeth * 4; ++i) {
    // Each tooth: two points on the outer radius, two on the inner one.
    const double angle = (i - 0.5) * M_PI * 2 / (kTeeth * 4);
    const double radius = (i % 4 == 0 || i % 4 == 1) ? 0.27 : 0.20;
    const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    if (i == 0) {
      gear.moveTo(point);
    } else {
      gear.lineTo(point);
    }
  }
  gear.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(centre, 0.09, 0.09);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(gear.subtracted(hole));
}

}  // namespace

QPixmap toolPicture(ToolPicture picture, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size, size);
  QRadialGradient disc(QPointF(0.42, 0.36), 0.62);
  disc.setColorAt(0, kDiscLight);
  disc.setColorAt(1, kDiscDark);
  p.setPen(Qt::NoPen);
  p.setBrush(disc);
  p.drawEllipse(QRectF(0.04, 0.04, 0.92, 0.92));
  switch (picture) {
    case ToolPicture::NewProject:
      drawNewProject(p);
      break;
    case ToolPicture::Calculate:
      drawCalculate(p);
      break;
    case ToolPicture::Save:
      drawSave(p);
      break;
    case ToolPicture::ProjectFiles:
      drawProjectFiles(p);
      break;
    case ToolPicture::Settings:
      drawSettings(p);
      break;
  }
  return pixmap;
}

}  // namespace vardex
