#include <QBuffer>
#include <QtEndian>
#include <QtTest>

#include "render/picture.h"

namespace {

QImage sampleImage() {
    QImage image(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 30, y * 50, 90));
    return image;
}

QByteArray asBmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QByteArray graphicHeader(quint16 count, quint16 type, quint32 size) {
    QByteArray header(8, '\0');
    qToLittleEndian<quint16>(count, header.data());
    qToLittleEndian<quint16>(type, header.data() + 2);
    qToLittleEndian<quint32>(size, header.data() + 4);
    return header;
}

QByteArray withGraphicHeader(const QByteArray& bmp) {
    return graphicHeader(1, 0x0100, quint32(bmp.size())) + bmp;
}

// A BMP whose info header claims other sides than its pixels have.
QByteArray claimingSides(QByteArray bmp, qint32 width, qint32 height) {
    qToLittleEndian<qint32>(width, bmp.data() + 18);
    qToLittleEndian<qint32>(height, bmp.data() + 22);
    return bmp;
}

// A 2 × 2, 24-bit bitmap with the old 12-byte core header (16-bit sides).
QByteArray coreHeaderBmp() {
    QByteArray bmp("BM", 2);
    const auto le32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        bmp.append(b, 4);
    };
    const auto le16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        bmp.append(b, 2);
    };
    le32(14 + 12 + 16);
    le32(0);
    le32(14 + 12);
    le32(12);
    le16(2);
    le16(2);
    le16(1);
    le16(24);
    // Rows bottom-up, each padded to 4 bytes: blue, green / red, white.
    bmp.append(
        QByteArray::fromHex("ff0000"
                            "00ff00"
                            "0000"));
    bmp.append(
        QByteArray::fromHex("0000ff"
                            "ffffff"
                            "0000"));
    return bmp;
}

}  // namespace

class Picture : public QObject {
    Q_OBJECT

private slots:
    void bitmapDecodes_data();
    void bitmapDecodes();
    void emptyBlobIsAnEmptyPicture();
    void graphicHeaderIsSkippedOnlyWhenItFits();
    void coreHeaderBitmapDecodes();
    void invalidBlobsAreRefused_data();
    void invalidBlobsAreRefused();
};

void Picture::bitmapDecodes_data() {
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QImage>("expected");
    const QImage image = sampleImage();
    const QByteArray bmp = asBmp(image);
    QTest::newRow("BMP alone") << bmp << image;
    QTest::newRow("behind the graphic header") << withGraphicHeader(bmp) << image;
    // A negative height stores the rows top-down: the same bytes show the picture upside down.
    QTest::newRow("top-down rows") << claimingSides(bmp, 7, -5) << image.mirrored(false, true);
    const QImage mono = image.convertToFormat(QImage::Format_Mono);
    QTest::newRow("1-bit") << asBmp(mono) << mono;
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("8-bit palette") << asBmp(indexed) << indexed;
}

void Picture::bitmapDecodes() {
    QFETCH(QByteArray, blob);
    QFETCH(QImage, expected);
    QCOMPARE(render::decodePicture(blob).convertToFormat(QImage::Format_RGB32),
             expected.convertToFormat(QImage::Format_RGB32));
}

void Picture::emptyBlobIsAnEmptyPicture() {
    QVERIFY(render::decodePicture(QByteArray()).isNull());
}

void Picture::graphicHeaderIsSkippedOnlyWhenItFits() {
    const QByteArray bmp = asBmp(sampleImage());
    const QImage alone = render::decodePicture(bmp);
    QCOMPARE(render::decodePicture(withGraphicHeader(bmp)), alone);
    // A header whose size does not match the blob is not a header: the blob is
    // then read from its first byte, which is not "BM".
    QVERIFY_THROWS_EXCEPTION(render::InvalidBitmapError,
                             render::decodePicture(graphicHeader(1, 0x0100, 0) + bmp));
    QVERIFY_THROWS_EXCEPTION(
        render::InvalidBitmapError,
        render::decodePicture(graphicHeader(2, 0x0100, quint32(bmp.size())) + bmp));
}

void Picture::coreHeaderBitmapDecodes() {
    const QImage image = render::decodePicture(coreHeaderBmp());
    QCOMPARE(image.size(), QSize(2, 2));
    QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(1, 1), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
}

void Picture::invalidBlobsAreRefused_data() {
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QString>("messagePart");
    const QByteArray bmp = asBmp(sampleImage());
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        sampleImage().save(&buffer, "PNG");
    }
    QTest::newRow("text") << QByteArray("not a picture") << "BMP";
    QTest::newRow("one byte") << QByteArray("B") << "BMP";
    QTest::newRow("graphic header alone") << graphicHeader(1, 0x0100, 0) << "BMP";
    QTest::newRow("PNG") << png << "BMP";
    QTest::newRow("BM and nothing else") << QByteArray("BM") << "BMP";
    QTest::newRow("truncated info header") << bmp.left(30) << "BMP";
    QTest::newRow("truncated pixels") << bmp.left(bmp.size() - 10) << "píxeles";
    QTest::newRow("60000 x 60000") << claimingSides(bmp, 60000, 60000) << "60000";
    QTest::newRow("60000 x 60000 behind the header")
        << withGraphicHeader(claimingSides(bmp, 60000, 60000)) << "60000";
    QTest::newRow("one very long side") << claimingSides(bmp, 40000, 1) << "40000";
    QTest::newRow("largest sides")
        << claimingSides(bmp, 2147483647, -2147483647 - 1) << "2147483647";
    QTest::newRow("zero width") << claimingSides(bmp, 0, 5) << "0";
    QTest::newRow("negative width") << claimingSides(bmp, -7, 5) << "-7";
    QTest::newRow("megabytes of garbage")
        << "BM" + QByteArray(4 * 1024 * 1024, char(0xAB)) << "píxeles";
}

void Picture::invalidBlobsAreRefused() {
    QFETCH(QByteArray, blob);
    QFETCH(QString, messagePart);
    try {
        render::decodePicture(blob);
        QFAIL("picture accepted");
    } catch (const render::InvalidBitmapError& e) {
        QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
        QVERIFY2(e.message().startsWith("Imagen de mapa de bits no válida"),
                 qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(Picture)
#include "tst_picture.moc"
