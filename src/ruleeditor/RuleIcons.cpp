#include "ruleeditor/RuleIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <numbers>

namespace lumi {

static constexpr int IconSize = 32;

static QPixmap blank() {
    QPixmap pm(IconSize, IconSize);
    pm.fill(Qt::transparent);
    return pm;
}

static void badge(QPainter& p, const QColor& fill, const QString& text, int pointSize) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(fill.darker(160), 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2, 2, IconSize - 4, IconSize - 4), 6, 6);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(pointSize);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, IconSize, IconSize), Qt::AlignCenter, text);
}

QIcon RuleClassIcon(int ruleClass) {
    QPixmap pm = blank();
    QPainter p(&pm);
    switch (ruleClass) {
    case 0:
        badge(p, QColor(0x3c, 0x9a, 0x3c), QStringLiteral("Jr"), 14);
        break;
    case 1:
        badge(p, QColor(0x2f, 0x6d, 0xc4), QStringLiteral("Sr"), 14);
        break;
    default:
        badge(p, QColor(0xb8, 0x35, 0x35), QStringLiteral("Pro"), 12);
        break;
    }
    return QIcon(pm);
}

// A red stroke across the picture: "this is not allowed".
static void forbid(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, IconSize - 6, IconSize - 6));
    p.drawLine(QPointF(8, 8), QPointF(IconSize - 8, IconSize - 8));
}

static void card(QPainter& p, const QRectF& r, const QColor& c) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.darker(170), 1.2));
    p.setBrush(c);
    p.drawRoundedRect(r, 2, 2);
}

static void star(QPainter& p, QPointF centre, qreal radius, const QColor& c) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? radius : radius * 0.45;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF pt(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(c);
    p.drawPath(path);
}

static void caption(QPainter& p, const QRect& r, const QString& text, int px,
                    const QColor& c = Qt::black) {
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(px);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

QIcon ExtraRuleIcon(int index) {
    if (index == 5)
        return {};
    QPixmap pm = blank();
    QPainter p(&pm);
    const QColor cardColour(0xf4, 0xe2, 0xa8);
    const QColor stone(0x5a, 0x8f, 0xd8);
    switch (index) {
    case 0: // the first player draws no card
        card(p, QRectF(9, 5, 14, 20), cardColour);
        caption(p, QRect(0, 20, IconSize, 12), QStringLiteral("1st"), 10);
        forbid(p);
        break;
    case 1: // stones left at the first turn end are removed
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(stone.darker(160), 1));
        p.setBrush(stone);
        p.drawEllipse(QRectF(6, 8, 9, 9));
        p.drawEllipse(QRectF(17, 8, 9, 9));
        caption(p, QRect(0, 19, IconSize, 12), QStringLiteral("1st"), 10);
        forbid(p);
        break;
    case 2: // no five-star card
        star(p, QPointF(16, 14), 11, QColor(0xf0, 0xc0, 0x20));
        caption(p, QRect(0, 7, IconSize, 14), QStringLiteral("5"), 10);
        forbid(p);
        break;
    case 3: // two stars at most
        star(p, QPointF(10, 12), 7, QColor(0xf0, 0xc0, 0x20));
        star(p, QPointF(22, 12), 7, QColor(0xf0, 0xc0, 0x20));
        caption(p, QRect(0, 19, IconSize, 13), QStringLiteral("≦2"), 11, QColor(0x80, 0x50, 0x00));
        break;
    case 4: // no wonder master
        card(p, QRectF(8, 4, 16, 23), QColor(0xc8, 0xa0, 0xe8));
        caption(p, QRect(8, 4, 16, 23), QStringLiteral("W"), 13, QColor(0x50, 0x20, 0x70));
        forbid(p);
        break;
    case 6: // four copies or more allowed
        card(p, QRectF(4, 6, 13, 19), cardColour);
        card(p, QRectF(8, 8, 13, 19), cardColour);
        card(p, QRectF(12, 10, 13, 19), cardColour);
        caption(p, QRect(10, 14, 22, 16), QStringLiteral("4+"), 11, QColor(0x20, 0x60, 0x20));
        break;
    case 7: { // the trash may not be looked at
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::darkGray, 1.5));
        p.setBrush(QColor(0xd8, 0xd8, 0xd8));
        p.drawRect(QRectF(9, 11, 14, 16));
        p.drawLine(QPointF(7, 10), QPointF(25, 10));
        p.drawLine(QPointF(13, 8), QPointF(19, 8));
        forbid(p);
        break;
    }
    default:
        break;
    }
    p.end();
    return QIcon(pm);
}

} // namespace lumi
