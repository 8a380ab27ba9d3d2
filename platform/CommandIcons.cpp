#include "CommandIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;

QPixmap Canvas()
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawOpen(QPainter& p)
{
    p.setPen(QPen(QColor(0x8a, 0x62, 0x10), 1.5));
    p.setBrush(QColor(0xf2, 0xc2, 0x4f));
    p.drawRect(3, 8, 24, 18);
    p.setBrush(QColor(0xfa, 0xdc, 0x84));
    p.drawPolygon(QPolygonF({QPointF(3, 26), QPointF(8, 13), QPointF(30, 13), QPointF(26, 26)}));
}

void DrawExit(QPainter& p)
{
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.5));
    p.setBrush(QColor(0xb5, 0x83, 0x55));
    p.drawRect(5, 3, 14, 26);
    p.setPen(QPen(QColor(0xc0, 0x20, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(14, 16, 29, 16);
    p.drawLine(29, 16, 24, 11);
    p.drawLine(29, 16, 24, 21);
}

void DrawCircleWithText(QPainter& p, const QColor& colour, const QString& text)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(2, 2, 28, 28);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

QIcon DrawnIcon(TCommandImage image)
{
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case TCommandImage::Open: DrawOpen(painter); break;
    case TCommandImage::Exit: DrawExit(painter); break;
    case TCommandImage::About: DrawCircleWithText(painter, QColor(0x1f, 0x5f, 0xb0), QStringLiteral("i")); break;
    case TCommandImage::Support: DrawCircleWithText(painter, QColor(0x2a, 0x8a, 0x3a), QStringLiteral("?")); break;
    }
    return QIcon(pixmap);
}

const char* ThemeName(TCommandImage image)
{
    switch (image) {
    case TCommandImage::Open: return "document-open";
    case TCommandImage::Exit: return "application-exit";
    case TCommandImage::About: return "help-about";
    case TCommandImage::Support: return "help-contents";
    }
    return "";
}

}  // namespace

QIcon CommandIcon(TCommandImage image)
{
    return QIcon::fromTheme(QString::fromLatin1(ThemeName(image)), DrawnIcon(image));
}
