#include "app/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace pictures {
namespace {

using Painter = std::function<void(QPainter&)>;

// Draws on a logical canvas of w x h at 1x and 2x.
QIcon draw(int w, int h, const Painter& paint)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(w * scale, h * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QBrush sheen(QColor base, qreal top, qreal bottom)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, base.lighter(150));
    g.setColorAt(1, base.darker(120));
    return g;
}

void arrow(QPainter& p, bool right, QColor colour)
{
    QPainterPath path;
    path.moveTo(4, 16);
    path.lineTo(15, 5);
    path.lineTo(15, 11);
    path.lineTo(28, 11);
    path.lineTo(28, 21);
    path.lineTo(15, 21);
    path.lineTo(15, 27);
    path.closeSubpath();
    if (right) {
        // Mirrored within the painter's own scale, so a caller's scaling still holds.
        p.translate(32, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(colour.darker(160), 1.2));
    p.setBrush(sheen(colour, 5, 27));
    p.drawPath(path);
}

void globe(QPainter& p, QRectF r, QColor colour)
{
    p.setPen(QPen(colour.darker(170), 1.2));
    p.setBrush(sheen(colour, r.top(), r.bottom()));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.drawEllipse(r.adjusted(r.width() * 0.3, 0, -r.width() * 0.3, 0));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
}

}  // namespace

QIcon toolbarButton(Button button)
{
    switch (button) {
    case Button::Back: return draw(32, 32, [](QPainter& p) { arrow(p, false, QColor(46, 160, 67)); });
    case Button::Forward: return draw(32, 32, [](QPainter& p) { arrow(p, true, QColor(46, 160, 67)); });
    case Button::Stop:
        return draw(32, 32, [](QPainter& p) {
            p.setPen(QPen(QColor(200, 30, 30), 6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(8, 8, 24, 24);
            p.drawLine(24, 8, 8, 24);
        });
    case Button::Refresh:
        return draw(32, 32, [](QPainter& p) {
            p.setPen(QPen(QColor(40, 120, 200), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
            QPainterPath head;
            head.moveTo(22, 2);
            head.lineTo(28, 10);
            head.lineTo(18, 11);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 120, 200));
            p.drawPath(head);
        });
    case Button::Home: return draw(32, 32, [](QPainter& p) { globe(p, QRectF(4, 4, 24, 24), QColor(50, 130, 220)); });
    case Button::Search:
        return draw(32, 32, [](QPainter& p) {
            p.setPen(QPen(QColor(90, 90, 90), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(19, 19, 28, 28);
            p.setPen(QPen(QColor(60, 60, 60), 2.5));
            p.setBrush(QColor(200, 230, 255, 200));
            p.drawEllipse(QRectF(4, 4, 17, 17));
        });
    case Button::Favourites:
        return draw(32, 32, [](QPainter& p) {
            p.setPen(QPen(QColor(150, 120, 40), 1.2));
            p.setBrush(QColor(255, 244, 170));
            p.drawRect(QRectF(7, 5, 19, 24));
            p.setPen(QPen(QColor(120, 140, 190), 1));
            for (int y = 11; y <= 25; y += 4)
                p.drawLine(10, y, 23, y);
            p.setPen(QPen(QColor(120, 120, 120), 2));
            for (int x = 10; x <= 22; x += 4)
                p.drawLine(x, 3, x, 7);
        });
    case Button::Print:
        return draw(32, 32, [](QPainter& p) {
            p.setPen(QPen(QColor(70, 70, 70), 1.2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 3, 14, 10));
            p.setBrush(sheen(QColor(140, 140, 150), 12, 24));
            p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 20, 14, 9));
        });
    }
    return {};
}

QIcon goArrow()
{
    return draw(16, 16, [](QPainter& p) {
        p.scale(0.5, 0.5);
        arrow(p, true, QColor(40, 170, 60));
    });
}

QIcon webPageIcon()
{
    return draw(16, 15, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 90, 160), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 0.5, 11, 13));
        globe(p, QRectF(6, 5, 9.5, 9.5), QColor(40, 110, 220));
    });
}

QIcon programIcon()
{
    return draw(32, 32, [](QPainter& p) {
        globe(p, QRectF(2, 2, 28, 28), QColor(30, 120, 210));
        p.setPen(QPen(QColor(255, 200, 40), 3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0, 8, 32, 16), 200 * 16, 140 * 16);
    });
}

QPixmap labelStrip()
{
    QPixmap strip(246, 34);
    QPainter p(&strip);
    QLinearGradient g(0, 0, 0, 34);
    g.setColorAt(0, QColor(236, 241, 248));
    g.setColorAt(1, QColor(218, 226, 238));
    p.fillRect(strip.rect(), g);
    return strip;
}

}  // namespace pictures
