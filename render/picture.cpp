#include "picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <cstdlib>

namespace render {
namespace {

constexpr qsizetype kGraphicHeaderSize = 8;
constexpr quint16 kGraphicCount = 1;
constexpr quint16 kGraphicTypeBitmap = 0x0100;

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kCoreHeaderSize = 12;  // OS/2 BITMAPCOREHEADER: 16-bit sides
constexpr qsizetype kInfoHeaderMinSize = 40;

// BI_RGB and BI_BITFIELDS store one row after another, so their pixel data has a
// size we can check against the blob; RLE and embedded JPEG/PNG do not.
constexpr quint32 kRgb = 0;
constexpr quint32 kBitfields = 3;
constexpr quint32 kAlphaBitfields = 6;

quint16 le16(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 le32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
qint32 le32s(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

[[noreturn]] void refuse(const QString& why) {
    throw InvalidBitmapError(QStringLiteral("Imagen de mapa de bits no válida: ") + why);
}

bool hasGraphicHeader(const QByteArray& blob) {
    return blob.size() >= kGraphicHeaderSize && le16(blob, 0) == kGraphicCount &&
           le16(blob, 2) == kGraphicTypeBitmap &&
           qint64(le32(blob, 4)) == qint64(blob.size()) - kGraphicHeaderSize;
}

struct BitmapGeometry {
    qint64 width = 0;
    qint64 height = 0;  // magnitude; negative heights mean top-down rows
    quint32 bitsPerPixel = 0;
    quint32 compression = kRgb;
};

BitmapGeometry readGeometry(const QByteArray& bmp) {
    if (bmp.size() < kFileHeaderSize + 4 || !bmp.startsWith("BM"))
        refuse(QStringLiteral("no es un archivo BMP"));
    const quint32 infoSize = le32(bmp, kFileHeaderSize);
    BitmapGeometry geometry;
    if (infoSize == kCoreHeaderSize && bmp.size() >= kFileHeaderSize + kCoreHeaderSize) {
        geometry.width = le16(bmp, 18);
        geometry.height = le16(bmp, 20);
        geometry.bitsPerPixel = le16(bmp, 24);
    } else if (infoSize >= kInfoHeaderMinSize &&
               bmp.size() >= kFileHeaderSize + kInfoHeaderMinSize) {
        geometry.width = le32s(bmp, 18);
        geometry.height = std::llabs(qint64(le32s(bmp, 22)));
        geometry.bitsPerPixel = le16(bmp, 28);
        geometry.compression = le32(bmp, 30);
    } else {
        refuse(QStringLiteral("encabezado BMP incompleto o desconocido"));
    }
    return geometry;
}

void checkSize(const QByteArray& bmp, const BitmapGeometry& g) {
    if (g.width < 1 || g.height < 1)
        refuse(QStringLiteral("tamaño %1 × %2 píxeles").arg(g.width).arg(g.height));
    if (g.width > kMaxPictureSide || g.height > kMaxPictureSide ||
        g.width * g.height > kMaxPicturePixels)
        refuse(QStringLiteral("%1 × %2 píxeles supera el máximo de %3 píxeles")
                   .arg(g.width)
                   .arg(g.height)
                   .arg(kMaxPicturePixels));
    const bool rowsStoredPlain =
        g.compression == kRgb || g.compression == kBitfields || g.compression == kAlphaBitfields;
    if (!rowsStoredPlain || g.bitsPerPixel == 0 || g.bitsPerPixel > 32) return;
    const qint64 stride = (g.width * g.bitsPerPixel + 31) / 32 * 4;
    const qint64 pixelOffset = le32(bmp, 10);
    if (pixelOffset + stride * g.height > bmp.size())
        refuse(QStringLiteral("faltan datos de píxeles (%1 × %2 píxeles en %3 bytes)")
                   .arg(g.width)
                   .arg(g.height)
                   .arg(bmp.size()));
}

}  // namespace

QImage decodePicture(const QByteArray& blob) {
    if (blob.isEmpty()) return QImage();
    const QByteArray bmp = hasGraphicHeader(blob) ? blob.mid(kGraphicHeaderSize) : blob;
    checkSize(bmp, readGeometry(bmp));

    QBuffer buffer;
    buffer.setData(bmp);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull()) refuse(reader.errorString());
    return image;
}

}  // namespace render
