#include <QtTest>
#include <cmath>
#include <limits>

#include "render/layout.h"

using render::ResolvedFont;

namespace render {
char* toString(const ResolvedFont& font) {
    return QTest::toString(QString("%1/%2").arg(font.face).arg(font.size));
}
}  // namespace render

class Layout : public QObject {
    Q_OBJECT

private slots:
    void scale_data();
    void scale();
    void conversion_data();
    void conversion();
    void extremePositionsStayFinite();
    void fontResolution_data();
    void fontResolution();
};

void Layout::scale_data() {
    QTest::addColumn<double>("pageInches");
    QTest::addColumn<int>("units");
    QTest::addColumn<qint64>("tenThousandths");

    QTest::newRow("80 mm roll width") << 3.15 << 1500 << qint64(21);
    QTest::newRow("2.83 in width") << 2.83 << 1500 << qint64(19);
    QTest::newRow("11 in height") << 11.0 << 2000 << qint64(55);
    QTest::newRow("letter width") << 8.5 << 1500 << qint64(57);
    QTest::newRow("half to even, down") << 0.5 << 2000 << qint64(2);     // 2.5
    QTest::newRow("half to even, up") << 0.7 << 2000 << qint64(4);       // 3.5
    QTest::newRow("decimal half, down") << 3.075 << 1500 << qint64(20);  // 20.5
    QTest::newRow("decimal half, up") << 3.225 << 1500 << qint64(22);    // 21.5
    QTest::newRow("PDF width in points") << 227.0 / 72.0 << 1500 << qint64(21);
    QTest::newRow("zero page") << 0.0 << 2000 << qint64(0);
    QTest::newRow("not a number") << std::nan("") << 2000 << qint64(0);
    QTest::newRow("no units") << 3.15 << 0 << qint64(0);
}

void Layout::scale() {
    QFETCH(double, pageInches);
    QFETCH(int, units);
    QFETCH(qint64, tenThousandths);
    QCOMPARE(render::layoutScale(pageInches, units).raw(), tenThousandths);
}

void Layout::conversion_data() {
    QTest::addColumn<qint64>("layout");
    QTest::addColumn<qint64>("scale");
    QTest::addColumn<double>("inches");

    QTest::newRow("centre across") << qint64(750) << qint64(21) << 1.575;
    QTest::newRow("centre down") << qint64(1000) << qint64(55) << 5.5;
    // The four-decimal scale, not the page: unit 1500 of a 2.83 in page lies at 2.85 in.
    QTest::newRow("multiple of the scale") << qint64(1500) << qint64(19) << 2.85;
    QTest::newRow("negative extent") << qint64(-100) << qint64(55) << -0.55;
    QTest::newRow("line spacing 40") << qint64(40) << qint64(55) << 0.22;
    QTest::newRow("zero") << qint64(0) << qint64(55) << 0.0;
}

void Layout::conversion() {
    QFETCH(qint64, layout);
    QFETCH(qint64, scale);
    QFETCH(double, inches);
    // Exactly the double nearest the true product: no error piles up from 0.0021 etc.
    const double actual = render::toInches(layout, data::Fixed4::fromRaw(scale));
    QVERIFY2(actual == inches, qPrintable(QString::number(actual, 'g', 17)));
}

void Layout::extremePositionsStayFinite() {
    const data::Fixed4 scale = data::Fixed4::fromRaw(55);
    const qint64 top = std::numeric_limits<qint32>::max();
    const double far = render::toInches(top, scale);
    QVERIFY(std::isfinite(far));
    QCOMPARE(far, double(top) * 55 / 10000);
    QCOMPARE(render::toInches(-top, scale), -far);
    // A line spacing of 2^31-1 on a 2^31-1st line: the integer product still fits.
    QVERIFY(std::isfinite(render::toInches(top * top, scale)));
}

void Layout::fontResolution_data() {
    QTest::addColumn<QString>("ownFace");
    QTest::addColumn<QVariant>("ownSize");
    QTest::addColumn<QString>("formatFace");
    QTest::addColumn<QVariant>("formatSize");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("size");
    const QVariant null;

    QTest::newRow("own face and size")
        << "Courier New" << QVariant(12) << "Arial" << QVariant(9) << "Courier New" << 12;
    QTest::newRow("empty face takes the format's")
        << "" << QVariant(12) << "Arial" << QVariant(9) << "Arial" << 12;
    QTest::newRow("blank face is a name")
        << "   " << QVariant(12) << "Arial" << QVariant(9) << "   " << 12;
    QTest::newRow("NULL size takes the format's")
        << "Courier New" << null << "Arial" << QVariant(9) << "Courier New" << 9;
    QTest::newRow("size 0 is not NULL")
        << "" << QVariant(0) << "Arial" << QVariant(9) << "Arial" << 0;
    QTest::newRow("both sizes NULL") << "" << null << "Arial" << null << "Arial" << 0;
    QTest::newRow("negative size passed on")
        << "" << QVariant(-5) << "Arial" << QVariant(9) << "Arial" << -5;
    QTest::newRow("huge size passed on")
        << "" << QVariant(100000) << "Arial" << QVariant(9) << "Arial" << 100000;
    QTest::newRow("both faces empty") << "" << QVariant(8) << "" << QVariant(9) << "" << 8;
}

void Layout::fontResolution() {
    QFETCH(QString, ownFace);
    QFETCH(QVariant, ownSize);
    QFETCH(QString, formatFace);
    QFETCH(QVariant, formatSize);
    QFETCH(QString, face);
    QFETCH(int, size);
    auto optional = [](const QVariant& v) {
        return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
    };
    QCOMPARE(render::resolveFont(ownFace, optional(ownSize), formatFace, optional(formatSize)),
             (ResolvedFont{face, size}));
}

QTEST_GUILESS_MAIN(Layout)
#include "tst_layout.moc"
