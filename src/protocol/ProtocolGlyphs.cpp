#include "protocol/ProtocolGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

constexpr int GlyphSize = 24;

void drawOpen(QPainter &p)
{
    // A folder with its lid swung open.
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
    p.setBrush(QColor(0xF0, 0xC8, 0x40));
    p.drawRect(2, 6, 16, 13);
    p.drawRect(2, 4, 7, 3);
    QPainterPath lid;
    lid.moveTo(5, 10);
    lid.lineTo(22, 10);
    lid.lineTo(18, 19);
    lid.lineTo(2, 19);
    lid.closeSubpath();
    p.setBrush(QColor(0xFF, 0xE0, 0x70));
    p.drawPath(lid);
}

void drawSave(QPainter &p)
{
    // A disk: body, label and shutter.
    p.setPen(QPen(QColor(0x10, 0x20, 0x60), 1));
    p.setBrush(QColor(0x30, 0x50, 0xA0));
    p.drawRect(3, 3, 18, 18);
    p.setBrush(Qt::white);
    p.drawRect(6, 3, 12, 8);
    p.setBrush(QColor(0xB0, 0xB0, 0xB0));
    p.drawRect(7, 14, 10, 7);
    p.setBrush(QColor(0x30, 0x50, 0xA0));
    p.drawRect(9, 15, 3, 5);
}

void drawPrint(QPainter &p)
{
    // A printer with a sheet coming out.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(6, 2, 12, 8);
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(2, 9, 20, 9);
    p.setBrush(Qt::white);
    p.drawRect(6, 15, 12, 7);
    p.drawLine(8, 18, 16, 18);
    p.drawLine(8, 20, 14, 20);
    p.setBrush(QColor(0x00, 0xC0, 0x00));
    p.drawEllipse(18, 11, 2, 2);
}

void drawWebPage(QPainter &p)
{
    // A globe with meridians.
    p.setPen(QPen(QColor(0x00, 0x40, 0x80), 1));
    p.setBrush(QColor(0x60, 0xA0, 0xE0));
    p.drawEllipse(2, 2, 20, 20);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(8, 2, 8, 20);
    p.drawLine(12, 2, 12, 22);
    p.drawLine(2, 12, 22, 12);
    p.drawLine(4, 7, 20, 7);
    p.drawLine(4, 17, 20, 17);
}

void drawSpreadsheet(QPainter &p)
{
    // A green sheet of cells with a cross.
    p.setPen(QPen(QColor(0x10, 0x60, 0x30), 1));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 20, 20);
    for (int x = 7; x < 22; x += 5)
        p.drawLine(x, 2, x, 22);
    for (int y = 7; y < 22; y += 5)
        p.drawLine(2, y, 22, y);
    p.setBrush(QColor(0x20, 0x80, 0x40));
    p.drawRect(2, 2, 11, 11);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(5, 5, 10, 10);
    p.drawLine(10, 5, 5, 10);
}

void drawClear(QPainter &p)
{
    // A sheet struck out by a red cross.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(4, 2, 14, 19);
    for (int y = 6; y < 19; y += 3)
        p.drawLine(7, y, 15, y);
    p.setPen(QPen(QColor(0xD0, 0x00, 0x00), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(9, 9, 21, 21);
    p.drawLine(21, 9, 9, 21);
}

void drawRestore(QPainter &p)
{
    // A sheet with an arrow turning back anticlockwise.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 13, 17);
    for (int y = 6; y < 17; y += 3)
        p.drawLine(5, y, 12, y);
    p.setPen(QPen(QColor(0x00, 0x70, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 9, 12, 12), 150 * 16, -260 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0x70, 0x20));
    QPainterPath head;
    head.moveTo(6, 9);
    head.lineTo(13, 11);
    head.lineTo(8, 16);
    head.closeSubpath();
    p.drawPath(head);
}

QIcon draw(ProtocolGlyph glyph)
{
    QPixmap pixmap(GlyphSize, GlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    switch (glyph) {
    case ProtocolGlyph::Open:
        drawOpen(painter);
        break;
    case ProtocolGlyph::Save:
        drawSave(painter);
        break;
    case ProtocolGlyph::Print:
        drawPrint(painter);
        break;
    case ProtocolGlyph::WebPage:
        drawWebPage(painter);
        break;
    case ProtocolGlyph::Spreadsheet:
        drawSpreadsheet(painter);
        break;
    case ProtocolGlyph::Clear:
        drawClear(painter);
        break;
    case ProtocolGlyph::Restore:
        drawRestore(painter);
        break;
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon protocolGlyph(ProtocolGlyph glyph)
{
    static std::array<QIcon, 7> cache;
    QIcon &icon = cache[static_cast<size_t>(glyph)];
    if (icon.isNull())
        icon = draw(glyph);
    return icon;
}
