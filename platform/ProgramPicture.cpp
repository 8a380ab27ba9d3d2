#include "ProgramPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void DrawLogSheet(QPainter& p)
{
    p.setPen(QPen(QColor(0x5a, 0x63, 0x70), 2));
    p.setBrush(QColor(0xfb, 0xfb, 0xf7));
    QPainterPath sheet;
    sheet.moveTo(40, 8);
    sheet.lineTo(98, 8);
    sheet.lineTo(112, 22);
    sheet.lineTo(112, 92);
    sheet.lineTo(40, 92);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.drawLine(QPointF(98, 8), QPointF(98, 22));
    p.drawLine(QPointF(98, 22), QPointF(112, 22));
    const QColor lines[] = {QColor(0x8a, 0x93, 0xa0), QColor(0xd2, 0x3c, 0x1e), QColor(0x8a, 0x93, 0xa0),
                            QColor(0x8a, 0x93, 0xa0), QColor(0xe0, 0x8a, 0x1a)};
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(lines[i], 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(50, 30 + i * 12), QPointF(i % 2 ? 92 : 102, 30 + i * 12));
    }
}

void DrawDatabase(QPainter& p)
{
    const QRectF body(8, 56, 60, 52);
    QLinearGradient shade(body.topLeft(), body.topRight());
    shade.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    shade.setColorAt(0.5, QColor(0x3a, 0x7b, 0xc8));
    shade.setColorAt(1, QColor(0x1d, 0x4e, 0x89));
    p.setPen(QPen(QColor(0x12, 0x30, 0x55), 2));
    p.setBrush(shade);
    QPainterPath cylinder;
    cylinder.moveTo(8, 64);
    cylinder.lineTo(8, 104);
    cylinder.arcTo(QRectF(8, 96, 60, 16), 180, 180);
    cylinder.lineTo(68, 64);
    cylinder.closeSubpath();
    p.drawPath(cylinder);
    p.setBrush(QColor(0x6f, 0xa8, 0xe8));
    p.drawEllipse(QRectF(8, 56, 60, 16));
    p.setPen(QPen(QColor(0x9c, 0xc6, 0xf2), 2));
    p.setBrush(Qt::NoBrush);
    for (const double y : {78.0, 92.0})
        p.drawArc(QRectF(8, y - 8, 60, 16), 180 * 16, 180 * 16);
}

}  // namespace

void PaintProgramPicture(QPainter& painter)
{
    DrawLogSheet(painter);
    DrawDatabase(painter);
}

QImage ProgramPicture(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(kProgramPictureGrid), size / double(kProgramPictureGrid));
    PaintProgramPicture(painter);
    return image;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ProgramPicture(size)));
    return icon;
}
