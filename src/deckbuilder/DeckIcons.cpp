#include "deckbuilder/DeckIcons.h"

#include <QPainter>

namespace lumi {

QPixmap DeckPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    const QColor back(0x3a, 0x5f, 0xa8);
    // Three cards fanned a little, the top one showing its face.
    for (int i = 0; i < 3; ++i) {
        const QRectF r((6 + i * 3) * s, (4 + i * 2) * s, 16 * s, 22 * s);
        p.setPen(QPen(back.darker(170), qMax(1.0, s)));
        p.setBrush(i == 2 ? QColor(0xfb, 0xf3, 0xd8) : back.lighter(100 + i * 25));
        p.drawRoundedRect(r, 2 * s, 2 * s);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x8c, 0x1f));
    p.drawEllipse(QRectF(15 * s, 12 * s, 8 * s, 8 * s));
    return pm;
}

QIcon ViewModeIcon(int mode) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor ink(0x30, 0x40, 0x60);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (mode) {
    case 0: // large icons: four big squares
        p.drawRect(1, 1, 6, 6);
        p.drawRect(9, 1, 6, 6);
        p.drawRect(1, 9, 6, 6);
        p.drawRect(9, 9, 6, 6);
        break;
    case 1: // small icons: a grid of small squares with short labels
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x) {
                p.drawRect(1 + x * 8, 1 + y * 5, 3, 3);
                p.drawRect(5 + x * 8, 2 + y * 5, 2, 1);
            }
        break;
    case 2: // list: small squares with long labels in a column
        for (int y = 0; y < 4; ++y) {
            p.drawRect(1, 1 + y * 4, 2, 2);
            p.drawRect(5, 2 + y * 4, 10, 1);
        }
        break;
    default: // details: a header line and rows across columns
        p.drawRect(1, 1, 14, 2);
        for (int y = 0; y < 3; ++y) {
            p.drawRect(1, 6 + y * 3, 5, 1);
            p.drawRect(8, 6 + y * 3, 7, 1);
        }
        break;
    }
    p.end();
    return QIcon(pm);
}

} // namespace lumi
