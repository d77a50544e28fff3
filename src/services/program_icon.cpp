#include "services/program_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace vrx {

namespace {

void DrawSheet(QPainter& p, const QRectF& r, const QColor& fill) {
  const qreal fold = r.width() * 0.3;
  QPainterPath path;
  path.moveTo(r.topLeft());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.setBrush(fill);
  p.drawPath(path);
}

}  // namespace

QImage DrawProgramIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  const qreal pen = std::max(1.0, s / 24.0);
  p.setPen(QPen(QColor(40, 40, 60), pen));
  DrawSheet(p, QRectF(s * 0.06, s * 0.04, s * 0.52, s * 0.66), QColor(200, 220, 250));
  DrawSheet(p, QRectF(s * 0.26, s * 0.16, s * 0.52, s * 0.66), QColor(255, 255, 255));
  // The magnifying glass over the lower right corner.
  p.setPen(QPen(QColor(150, 60, 20), std::max(1.5, s / 10.0), Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(s * 0.74, s * 0.74), QPointF(s * 0.94, s * 0.94));
  p.setPen(QPen(QColor(30, 60, 140), std::max(1.2, s / 14.0)));
  p.setBrush(QColor(170, 210, 255, 170));
  p.drawEllipse(QPointF(s * 0.62, s * 0.62), s * 0.2, s * 0.2);
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
  }
  return icon;
}

}  // namespace vrx
