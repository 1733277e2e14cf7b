// Draws the window's raster images into the folder given as argument:
// Background.png, the 720 x 320 banner behind the title area, with
// Background@2x.png, the same drawn at twice the resolution for displays
// scaled to 150 % and more, and icon.ico, the product icon at nine sizes.
// Built and run by scripts/make-images.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace
{

const QColor kRed(0xF2, 0x32, 0x39);

// The product mark, drawn in a 256-unit square: a red rounded square with a
// white "F" whose arms slant like a weather vane (as scripts/make-icon).
void drawMark(QPainter& painter, const QRectF& target)
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / 256.0, target.height() / 256.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRed);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 52, 52);
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygonF({{78, 52}, {118, 52}, {118, 204}, {78, 204}}));
    painter.drawPolygon(QPolygonF({{78, 52}, {200, 52}, {180, 92}, {78, 92}}));
    painter.drawPolygon(QPolygonF({{78, 116}, {168, 116}, {150, 152}, {78, 152}}));
    painter.restore();
}

// The banner in 720 x 320 units, scale device pixels each.
QImage background(int scale)
{
    QImage image(720 * scale, 320 * scale, QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);

    // Dark enough everywhere for a white bold title at the top left.
    QLinearGradient base(0, 0, 720, 320);
    base.setColorAt(0.0, QColor(0x3B, 0x10, 0x18));
    base.setColorAt(0.55, QColor(0x22, 0x14, 0x22));
    base.setColorAt(1.0, QColor(0x10, 0x18, 0x28));
    painter.fillRect(QRect(0, 0, 720, 320), base);

    QRadialGradient glow(QPointF(360, 196), 300);
    glow.setColorAt(0.0, QColor(0xF2, 0x32, 0x39, 70));
    glow.setColorAt(1.0, QColor(0xF2, 0x32, 0x39, 0));
    painter.fillRect(QRect(0, 0, 720, 320), glow);

    // Wind: long faint curves across the banner.
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        const qreal y = 70 + i * 30;
        QPainterPath path(QPointF(-20, y + 24));
        path.cubicTo(QPointF(200, y - 34 + i * 3), QPointF(470, y + 44 - i * 4),
                     QPointF(740, y - 10));
        painter.setPen(QPen(QColor(255, 255, 255, 10 + (i % 3) * 6), 1.4));
        painter.drawPath(path);
    }

    // Rings around the mark, like a compass face.
    const QPointF centre(360, 190);
    for (int i = 0; i < 4; ++i) {
        painter.setPen(QPen(QColor(255, 255, 255, 30 - i * 6), 1.2));
        painter.drawEllipse(centre, 74.0 + i * 34, 74.0 + i * 34);
    }

    // The mark with a soft shadow under it.
    painter.setPen(Qt::NoPen);
    for (int i = 8; i > 0; --i) {
        painter.setBrush(QColor(0, 0, 0, 9));
        painter.drawRoundedRect(QRectF(316 - i, 150 - i + 5, 88 + 2 * i, 88 + 2 * i), 20 + i,
                                20 + i);
    }
    drawMark(painter, QRectF(316, 146, 88, 88));
    return image;
}

// One icon image as a 32-bit BMP entry of an ICO file: the header with twice
// the height, BGRA rows bottom-up, then the 1-bit transparency mask.
QByteArray bmpEntry(const QImage& image)
{
    const int size = image.width();
    const int maskStride = ((size + 31) / 32) * 4;
    QByteArray out(40, '\0');
    auto put32 = [&out](int offset, quint32 value) {
        qToLittleEndian(value, reinterpret_cast<uchar*>(out.data()) + offset);
    };
    put32(0, 40);
    put32(4, size);
    put32(8, size * 2);
    qToLittleEndian<quint16>(1, reinterpret_cast<uchar*>(out.data()) + 12);
    qToLittleEndian<quint16>(32, reinterpret_cast<uchar*>(out.data()) + 14);
    put32(20, size * size * 4 + maskStride * size);
    for (int y = size - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            const char bgra[4] = {char(qBlue(line[x])), char(qGreen(line[x])), char(qRed(line[x])),
                                  char(qAlpha(line[x]))};
            out.append(bgra, 4);
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row.at(x / 8) | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

QByteArray icon()
{
    const std::vector<int> sizes = {128, 96, 80, 72, 64, 48, 32, 24, 16};
    std::vector<QByteArray> entries;
    for (int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawMark(painter, QRectF(0, 0, size, size));
        painter.end();
        entries.push_back(bmpEntry(image));
    }

    QByteArray out(6 + 16 * int(sizes.size()), '\0');
    auto* data = reinterpret_cast<uchar*>(out.data());
    qToLittleEndian<quint16>(1, data + 2); // type: icon
    qToLittleEndian<quint16>(quint16(sizes.size()), data + 4);
    quint32 offset = quint32(out.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        uchar* entry = data + 6 + 16 * i;
        entry[0] = uchar(sizes[i]);
        entry[1] = uchar(sizes[i]);
        qToLittleEndian<quint16>(1, entry + 4);  // planes
        qToLittleEndian<quint16>(32, entry + 6); // bits per pixel
        qToLittleEndian<quint32>(quint32(entries[i].size()), entry + 8);
        qToLittleEndian<quint32>(offset, entry + 12);
        offset += quint32(entries[i].size());
    }
    for (const QByteArray& entry : entries)
        out.append(entry);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-images FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!background(1).save(folder + QLatin1String("/Background.png"), "PNG") ||
        !background(2).save(folder + QLatin1String("/Background@2x.png"), "PNG")) {
        std::fprintf(stderr, "make-images: cannot write Background.png\n");
        return 1;
    }
    QFile ico(folder + QLatin1String("/icon.ico"));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(icon()) < 0) {
        std::fprintf(stderr, "make-images: cannot write icon.ico\n");
        return 1;
    }
    return 0;
}
