#include "shell/info/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace quel {

namespace {

// Below this the rim, the crown ring and the highlight are single blurred pixels: leave them out.
constexpr int kDetailedFrom = 24;
constexpr qreal kSmallBellScale = 1.12;
constexpr qreal kBellMiddle = 0.48;

const QColor kBadgeLight(0x4a, 0x98, 0xe8);
const QColor kBadgeDark(0x15, 0x4a, 0x9a);
const QColor kBadgeRim(0x0d, 0x33, 0x70);
const QColor kGoldLight(0xff, 0xe0, 0x7a);
const QColor kGold(0xf0, 0xb8, 0x2a);
const QColor kGoldDark(0xb0, 0x78, 0x0a);
const QColor kBellOutline(0x6e, 0x46, 0x00);

// The bell's outline in a unit square: a dome, straight sides and a flared lip.
QPainterPath bellBody() {
    QPainterPath path;
    path.moveTo(0.50, 0.20);
    path.cubicTo(0.63, 0.20, 0.67, 0.29, 0.67, 0.41);
    path.lineTo(0.68, 0.55);
    path.cubicTo(0.69, 0.63, 0.75, 0.66, 0.80, 0.68);
    path.lineTo(0.80, 0.73);
    path.lineTo(0.20, 0.73);
    path.lineTo(0.20, 0.68);
    path.cubicTo(0.25, 0.66, 0.31, 0.63, 0.32, 0.55);
    path.lineTo(0.33, 0.41);
    path.cubicTo(0.33, 0.29, 0.37, 0.20, 0.50, 0.20);
    path.closeSubpath();
    return path;
}

void drawBadge(QPainter& p, int size) {
    const qreal rim = size >= kDetailedFrom ? std::max(1.0, size / 32.0) : 0.0;
    const QRectF disc = QRectF(0, 0, size, size).adjusted(0.5, 0.5, -0.5, -0.5);
    QRadialGradient fill(QPointF(size * 0.38, size * 0.30), size * 0.75);
    fill.setColorAt(0.0, kBadgeLight);
    fill.setColorAt(1.0, kBadgeDark);
    p.setBrush(fill);
    if (rim > 0) {
        p.setPen(QPen(kBadgeRim, rim));
        p.drawEllipse(disc.adjusted(rim / 2, rim / 2, -rim / 2, -rim / 2));
    } else {
        p.setPen(Qt::NoPen);
        p.drawEllipse(disc);
    }
}

void drawBell(QPainter& p, int size) {
    const bool detailed = size >= kDetailedFrom;
    p.save();
    p.scale(size, size);
    if (!detailed) {
        // With no rim to leave room for, the bell may fill more of the few pixels there are.
        p.translate(0.5, kBellMiddle);
        p.scale(kSmallBellScale, kSmallBellScale);
        p.translate(-0.5, -kBellMiddle);
    }
    const qreal pixel = 1.0 / size;

    // Crown: a ring to hang the bell by, or a plain knob where a ring would not show.
    if (detailed) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kGold, std::max(pixel * 1.5, 0.035)));
        p.drawEllipse(QPointF(0.5, 0.155), 0.045, 0.045);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(kGold);
        p.drawRect(QRectF(0.44, 0.12, 0.12, 0.10));
    }

    // Clapper under the lip.
    p.setPen(Qt::NoPen);
    p.setBrush(kGoldDark);
    p.drawEllipse(QPointF(0.5, 0.78), 0.075, 0.075);

    QLinearGradient metal(0.2, 0.0, 0.8, 0.0);
    metal.setColorAt(0.0, kGold);
    metal.setColorAt(0.35, kGoldLight);
    metal.setColorAt(1.0, kGoldDark);
    p.setBrush(metal);
    p.setPen(QPen(kBellOutline, std::max(pixel, 0.02)));
    p.drawPath(bellBody());

    if (detailed) {
        // A band just above the lip, as cast bells have.
        p.setPen(QPen(kGoldDark, std::max(pixel, 0.018)));
        p.drawLine(QPointF(0.27, 0.655), QPointF(0.73, 0.655));
        // A soft highlight down the left side gives the metal its roundness.
        p.setPen(QPen(QColor(255, 255, 255, 140), std::max(pixel * 1.5, 0.03), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0.41, 0.32), QPointF(0.395, 0.56));
    }
    p.restore();
}

}  // namespace

QImage appIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawBadge(p, size);
    drawBell(p, size);
    return image;
}

QPixmap appIconPixmap(int size) {
    return QPixmap::fromImage(appIconImage(size));
}

QIcon appIcon() {
    QIcon icon;
    for (int size : kAppIconSizes)
        icon.addPixmap(appIconPixmap(size));
    return icon;
}

}  // namespace quel
