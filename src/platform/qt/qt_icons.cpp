// The program's icons, drawn here rather than loaded from image files, so
// they are crisp at every size and always present in the binary.
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <cmath>
#include <string>

#include "platform/qt/qt_toolbox.h"

namespace {

constexpr int kSize = 96;

// A glossy round button in a colour.
void roundButton(QPainter& p, QColor colour) {
  QRadialGradient g(QPointF(kSize * 0.38, kSize * 0.32), kSize * 0.62);
  g.setColorAt(0, colour.lighter(150));
  g.setColorAt(0.55, colour);
  g.setColorAt(1, colour.darker(150));
  p.setPen(QPen(colour.darker(200), 2));
  p.setBrush(g);
  p.drawEllipse(QRectF(3, 3, kSize - 6, kSize - 6));
}

QColor grey() { return QColor(0x8c, 0x8c, 0x8c); }

void glyph(QPainter& p, const QPainterPath& path) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 235));
  p.drawPath(path);
}

QPainterPath triangle(double x, double y, double w, double h, bool right) {
  QPainterPath t;
  if (right) {
    t.moveTo(x, y);
    t.lineTo(x + w, y + h / 2);
    t.lineTo(x, y + h);
  } else {
    t.moveTo(x + w, y);
    t.lineTo(x, y + h / 2);
    t.lineTo(x + w, y + h);
  }
  t.closeSubpath();
  return t;
}

QPainterPath star(double cx, double cy, double outer, double inner) {
  QPainterPath s;
  for (int i = 0; i < 10; ++i) {
    const double a = -M_PI / 2 + i * M_PI / 5;
    const double r = i % 2 ? inner : outer;
    const QPointF pt(cx + r * std::cos(a), cy + r * std::sin(a));
    if (i == 0)
      s.moveTo(pt);
    else
      s.lineTo(pt);
  }
  s.closeSubpath();
  return s;
}

bool paintIcon(QPainter& p, const std::string& name) {
  static const struct {
    const char* name = nullptr;
    QColor colour;
  } colours[] = {{"BlueBtn", QColor(0x00, 0x39, 0x7c)},   {"CoolBlueBtn", QColor(0x1b, 0x99, 0xcc)},
                 {"GreenBtn", QColor(0x00, 0x90, 0x2c)},  {"SpringGreenBtn", QColor(0xa9, 0xb5, 0x00)},
                 {"YellowBtn", QColor(0xff, 0xad, 0x00)}, {"OrangeBtn", QColor(0xff, 0x6b, 0x00)},
                 {"RedBtn", QColor(0xc3, 0x2b, 0x03)},    {"PinkBtn", QColor(0xf3, 0x4e, 0x9a)},
                 {"PurpleBtn", QColor(0x85, 0x07, 0xd4)}};
  for (const auto& c : colours)
    if (name == c.name) {
      roundButton(p, c.colour);
      return true;
    }
  const double k = kSize;
  if (name == "AllTunesBtn") {
    roundButton(p, grey());
    QPainterPath lines;
    for (int i = 0; i < 3; ++i) lines.addRoundedRect(QRectF(k * 0.27, k * (0.3 + 0.15 * i), k * 0.46, k * 0.08), 3, 3);
    glyph(p, lines);
  } else if (name == "PlayBtn") {
    roundButton(p, grey());
    glyph(p, triangle(k * 0.38, k * 0.27, k * 0.36, k * 0.46, true));
  } else if (name == "StopBtn") {
    roundButton(p, grey());
    QPainterPath sq;
    sq.addRoundedRect(QRectF(k * 0.32, k * 0.32, k * 0.36, k * 0.36), 4, 4);
    glyph(p, sq);
  } else if (name == "BackBtn" || name == "ForwardBtn") {
    const bool right = name == "ForwardBtn";
    roundButton(p, grey());
    QPainterPath both = triangle(k * 0.22, k * 0.3, k * 0.28, k * 0.4, right);
    both.addPath(triangle(k * 0.5, k * 0.3, k * 0.28, k * 0.4, right));
    glyph(p, both);
  } else if (name == "StarBtn") {
    roundButton(p, QColor(0xd4, 0xa0, 0x17));
    glyph(p, star(k / 2, k * 0.52, k * 0.3, k * 0.13));
  } else if (name == "QuickMoreTuneBtn") {
    roundButton(p, QColor(0x3a, 0x7b, 0xd5));
    QPainterPath plus;
    plus.addRoundedRect(QRectF(k * 0.44, k * 0.24, k * 0.12, k * 0.52), 3, 3);
    plus.addRoundedRect(QRectF(k * 0.24, k * 0.44, k * 0.52, k * 0.12), 3, 3);
    glyph(p, plus.simplified());
  } else if (name == "LumarollIcon") {
    // Nine rings from Midnight Blue outside to Purple inside.
    static const QColor ring[9] = {QColor(0x00, 0x39, 0x7c), QColor(0x1b, 0x99, 0xcc), QColor(0x00, 0x90, 0x2c),
                                   QColor(0xa9, 0xb5, 0x00), QColor(0xff, 0xad, 0x00), QColor(0xff, 0x6b, 0x00),
                                   QColor(0xc3, 0x2b, 0x03), QColor(0xf3, 0x4e, 0x9a), QColor(0x85, 0x07, 0xd4)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
      const double inset = 2 + i * 5.0;
      p.setBrush(ring[i]);
      p.drawEllipse(QRectF(inset, inset, k - 2 * inset, k - 2 * inset));
    }
  } else {
    return false;
  }
  return true;
}

}  // namespace

QIcon drawnIcon(std::string_view name) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (!paintIcon(p, std::string(name))) return QIcon();
  p.end();
  return QIcon(pm);
}

QImage drawnIconImage(std::string_view name, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(double(size) / kSize, double(size) / kSize);
  if (!paintIcon(p, std::string(name))) return QImage();
  p.end();
  return image;
}
