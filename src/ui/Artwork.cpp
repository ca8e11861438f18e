#include "ui/Artwork.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <algorithm>

namespace velmaro::ui {
namespace {

QPixmap transparentPixmap(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A lens of the given diameter at `lensTopLeft`, its handle running to the lower right.
void paintGlass(QPainter& p, QPointF lensTopLeft, double diameter) {
  const double rim = std::max(1.0, diameter / 9.0);
  const QRectF lens(lensTopLeft, QSizeF(diameter, diameter));
  const QPointF centre = lens.center();
  const double r = diameter / 2.0;
  // The handle first, so the rim covers its root.
  const QPointF root = centre + QPointF(r * 0.7071, r * 0.7071);
  const QPointF tip = root + QPointF(r * 0.95, r * 0.95);
  p.setPen(QPen(QColor(0x5A, 0x3A, 0x1E), rim * 2.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(root, tip);
  p.setPen(QPen(QColor(0x3C, 0x3C, 0x46), rim));
  p.setBrush(QColor(0xC8, 0xE6, 0xFF, 0x90));
  p.drawEllipse(lens.adjusted(rim / 2, rim / 2, -rim / 2, -rim / 2));
  // A glint on the glass.
  p.setPen(
      QPen(QColor(255, 255, 255, 0xD0), std::max(1.0, rim / 1.5), Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  const QRectF glint =
      lens.adjusted(diameter * 0.25, diameter * 0.25, -diameter * 0.25, -diameter * 0.25);
  p.drawArc(glint, 100 * 16, 70 * 16);
}

QPixmap iconPixmap(int side) {
  QPixmap pixmap = transparentPixmap(side);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setBold(true);
  font.setPixelSize(std::max(6, side * 9 / 16));
  p.setFont(font);
  p.setPen(QColor(0x12, 0x3C, 0x8C));
  p.drawText(QRectF(0, side * 0.35, side, side * 0.65), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("NV"));
  paintGlass(p, QPointF(side * 0.30, 0.5), side * 0.50);
  return pixmap;
}

QPixmap rowMark(int side, bool plus) {
  QPixmap pixmap = transparentPixmap(side);
  QPainter p(&pixmap);
  const int bar = std::max(2, side / 4 + (side / 4) % 2);  // even, so it centres on even sizes
  const int inset = side / 8;
  const int mid = (side - bar) / 2;
  const QColor colour = plus ? QColor(0x1E, 0x9B, 0x28) : QColor(0xD2, 0x1E, 0x1E);
  p.fillRect(QRect(inset, mid, side - 2 * inset, bar), colour);
  if (plus) p.fillRect(QRect(mid, inset, bar, side - 2 * inset), colour);
  return pixmap;
}

}  // namespace

QIcon WindowIcon() {
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64}) icon.addPixmap(iconPixmap(side));
  return icon;
}

QPixmap ScanningPicture(int side) {
  QPixmap pixmap = transparentPixmap(side);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  paintGlass(p, QPointF(side * 0.06, side * 0.06), side * 0.60);
  return pixmap;
}

QIcon RowIcon(QStringView key) {
  const bool plus = key == u"add";
  if (!plus && key != u"remove") return {};
  QIcon icon;
  for (int side : {16, 24, 32}) icon.addPixmap(rowMark(side, plus));
  return icon;
}

QPixmap ListBackgroundTile(int width, int rowHeight) {
  QPixmap tile(std::max(1, width), 2 * std::max(1, rowHeight));
  tile.fill(Qt::white);
  QPainter p(&tile);
  p.fillRect(QRect(0, 0, tile.width(), rowHeight), kListStripeBlue);
  return tile;
}

}  // namespace velmaro::ui
