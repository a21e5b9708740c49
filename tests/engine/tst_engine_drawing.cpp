// What the Qt engine draws, read back from the PDF it writes.
#include <QImage>
#include <QTest>

#include "engine/paper.h"
#include "pdf_engine.h"
#include "pdf_probe.h"

using engine::PenStyle;
using engine::Report;
using Step = PdfEngine::Step;

Q_DECLARE_METATYPE(Step)

namespace {

const QString kFace = "DejaVu Sans";  // installed, so its metrics are exact

// A 20 × 10 picture: black on the left half, or on the top half.
QImage twoColour(bool leftBlack) {
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (leftBlack ? x < 10 : y < 5) image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

// Rectangles of dark pixels compared edge by edge with one pixel of slack for
// anti-aliasing.
bool near(const QRect& actual, const QRect& expected) {
    if (actual.isNull() || expected.isNull()) return actual.isNull() == expected.isNull();
    return qAbs(actual.left() - expected.left()) <= 1 &&
           qAbs(actual.right() - expected.right()) <= 1 &&
           qAbs(actual.top() - expected.top()) <= 1 &&
           qAbs(actual.bottom() - expected.bottom()) <= 1;
}

QByteArray describe(const QRect& r) {
    return r.isNull() ? "nothing"
                      : QString("(%1,%2)-(%3,%4)")
                            .arg(r.left())
                            .arg(r.top())
                            .arg(r.right())
                            .arg(r.bottom())
                            .toUtf8();
}

}  // namespace

class TestEngineDrawing : public QObject {
    Q_OBJECT

private slots:
    void textPlacement_data();
    void textPlacement();
    void textHasNoBackground();
    void fontSizeNotPositiveKeepsFont_data();
    void fontSizeNotPositiveKeepsFont();
    void shapes_data();
    void shapes();
    void dashedPensLeaveGaps_data();
    void dashedPensLeaveGaps();
    void stretchedImage_data();
    void stretchedImage();
    void imageHidesWhatLiesBeneath_data();
    void imageHidesWhatLiesBeneath();
    void newPageKeepsPenAndFont();
    void tenthsOfMillimetre_data();
    void tenthsOfMillimetre();
    void paperSize_data();
    void paperSize();
    void paperBelongsToOneJob();
};

void TestEngineDrawing::textPlacement_data() {
    QTest::addColumn<bool>("rightAligned");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("edgePt");  // xMin, or xMax when right-aligned
    QTest::addColumn<double>("baselinePt");

    QTest::newRow("PrintAt starts at x, baseline on y")
        << false << 1.0 << 2.0 << 12 << "COMANDA57" << 72.0 << 144.0;
    QTest::newRow("PrintAt small, near the corner")
        << false << 0.1 << 0.3 << 8 << "Mesa" << 7.2 << 21.6;
    QTest::newRow("PrintRightAt ends at x")
        << true << 3.0 << 5.5 << 10 << "12.500" << 216.0 << 396.0;
    QTest::newRow("PrintRightAt large") << true << 2.0 << 1.0 << 20 << "TOTAL" << 144.0 << 72.0;
}

void TestEngineDrawing::textPlacement() {
    QFETCH(bool, rightAligned);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, size);
    QFETCH(QString, text);
    QFETCH(double, edgePt);
    QFETCH(double, baselinePt);

    PdfEngine e;
    const QString pdf = e.print([&](Report& r) {
        r.SetFont(kFace, size);
        rightAligned ? r.PrintRightAt(x, y, text) : r.PrintAt(x, y, text);
    });

    const auto word = pdfprobe::word(pdf, text);
    QCOMPARE(word.page, 1);
    QVERIFY2(qAbs((rightAligned ? word.xMax : word.xMin) - edgePt) < 0.05,
             qPrintable(QString("xMin %1 xMax %2").arg(word.xMin).arg(word.xMax)));
    QVERIFY2(qAbs(pdfprobe::dejaVuBaseline(word) - baselinePt) < 0.1,
             qPrintable(QString::number(pdfprobe::dejaVuBaseline(word))));
    QVERIFY(qAbs(pdfprobe::dejaVuSize(word) - size) < 0.05);
}

// A line drawn first must show through the gap between two letters printed on it.
void TestEngineDrawing::textHasNoBackground() {
    PdfEngine e;
    const QString pdf = e.print([](Report& r) {
        r.SetPen(PenStyle::Solid, 24);
        r.MoveTo(0.5, 1.95);
        r.LineTo(3.0, 1.95);
        r.SetFont(kFace, 20);
        r.PrintAt(1.0, 2.0, "I      I");
    });
    const QImage page = pdfprobe::grayPage(pdf);
    for (int x = 50; x <= 300; ++x)
        QVERIFY2(pdfprobe::isDark(page, x, 194), qPrintable(QString::number(x)));
}

void TestEngineDrawing::fontSizeNotPositiveKeepsFont_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -3;
}

void TestEngineDrawing::fontSizeNotPositiveKeepsFont() {
    QFETCH(int, size);
    PdfEngine e;
    const QString pdf = e.print([&](Report& r) {
        r.SetFont(kFace, 20);
        r.SetFont("DejaVu Serif", size);
        r.PrintAt(0.5, 1.0, "GRANDE");
    });
    QCOMPARE(pdfprobe::fonts(pdf), QStringList{"DejaVuSans"});
    QVERIFY(qAbs(pdfprobe::dejaVuSize(pdfprobe::word(pdf, "GRANDE")) - 20) < 0.05);
}

// Dark pixels at 100 dpi: one inch is 100 pixels. A 24-dot pen is 2 pixels wide.
void TestEngineDrawing::shapes_data() {
    QTest::addColumn<Step>("draw");
    QTest::addColumn<QRect>("dark");
    QTest::addColumn<QRect>("hollow");  // must stay white

    QTest::newRow("line") << Step([](Report& r) {
        r.SetPen(PenStyle::Solid, 24);
        r.MoveTo(0.5, 1.0);
        r.LineTo(2.5, 1.0);
    }) << QRect(QPoint(49, 99), QPoint(251, 100))
                          << QRect();
    QTest::newRow("line drawn upwards, from the current point") << Step([](Report& r) {
        r.SetPen(PenStyle::Solid, 24);
        r.MoveTo(1.5, 4.0);
        r.LineTo(1.5, 2.0);
    }) << QRect(QPoint(149, 199), QPoint(150, 401)) << QRect();
    QTest::newRow("polyline continues from the last point") << Step([](Report& r) {
        r.SetPen(PenStyle::Solid, 24);
        r.MoveTo(0.5, 1.0);
        r.LineTo(2.5, 1.0);
        r.LineTo(2.5, 2.0);
    }) << QRect(QPoint(49, 99), QPoint(251, 201)) << QRect(QPoint(55, 105), QPoint(245, 200));
    QTest::newRow("rectangle with reversed corners, not filled") << Step([](Report& r) {
        r.SetPen(PenStyle::Solid, 24);
        r.Rectangle(2.5, 4.0, 0.5, 3.0);
    }) << QRect(QPoint(49, 299), QPoint(251, 401)) << QRect(QPoint(55, 305), QPoint(245, 395));
    QTest::newRow("pen width in printer dots") << Step([](Report& r) {
        r.SetPen(PenStyle::Solid, 120);  // a tenth of an inch
        r.MoveTo(0.5, 6.0);
        r.LineTo(2.5, 6.0);
    }) << QRect(QPoint(45, 595), QPoint(254, 604))
                                               << QRect();
    QTest::newRow("clear pen draws nothing") << Step([](Report& r) {
        r.SetPen(PenStyle::Clear, 24);
        r.Rectangle(0.5, 3.0, 2.5, 4.0);
        r.MoveTo(0.5, 1.0);
        r.LineTo(2.5, 1.0);
    }) << QRect() << QRect();
}

void TestEngineDrawing::shapes() {
    QFETCH(Step, draw);
    QFETCH(QRect, dark);
    QFETCH(QRect, hollow);

    PdfEngine e;
    const QImage page = pdfprobe::grayPage(e.print(draw));
    const QRect found = pdfprobe::darkBounds(page);
    QVERIFY2(near(found, dark), describe(found));
    if (!hollow.isNull())
        QVERIFY2(pdfprobe::darkBounds(page, hollow).isNull(),
                 describe(pdfprobe::darkBounds(page, hollow)));
}

void TestEngineDrawing::dashedPensLeaveGaps_data() {
    QTest::addColumn<PenStyle>("style");
    QTest::newRow("dash") << PenStyle::Dash;
    QTest::newRow("dot") << PenStyle::Dot;
}

void TestEngineDrawing::dashedPensLeaveGaps() {
    QFETCH(PenStyle, style);
    PdfEngine e;
    const QImage page = pdfprobe::grayPage(e.print([&](Report& r) {
        r.SetPen(style, 24);
        r.MoveTo(0.5, 1.0);
        r.LineTo(2.5, 1.0);
    }));
    int dark = 0;
    for (int x = 50; x <= 250; ++x)
        dark += pdfprobe::isDark(page, x, 100) ? 1 : 0;
    QVERIFY2(dark > 40 && dark < 180, qPrintable(QString::number(dark)));
}

void TestEngineDrawing::stretchedImage_data() {
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QRectF>("corners");  // x1, y1 as topLeft and x2, y2 as bottomRight
    QTest::addColumn<QRect>("dark");

    const QImage leftBlack = twoColour(true);
    const QImage topBlack = twoColour(false);
    QTest::newRow("as it is") << leftBlack << QRectF(QPointF(1.0, 1.0), QPointF(2.0, 1.5))
                              << QRect(QPoint(100, 100), QPoint(149, 149));
    QTest::newRow("x2 < x1 mirrors horizontally")
        << leftBlack << QRectF(QPointF(2.0, 1.0), QPointF(1.0, 1.5))
        << QRect(QPoint(150, 100), QPoint(199, 149));
    QTest::newRow("y2 < y1 mirrors vertically")
        << topBlack << QRectF(QPointF(1.0, 1.5), QPointF(2.0, 1.0))
        << QRect(QPoint(100, 125), QPoint(199, 149));
    QTest::newRow("y2 < y1 keeps left and right")
        << leftBlack << QRectF(QPointF(1.0, 1.5), QPointF(2.0, 1.0))
        << QRect(QPoint(100, 100), QPoint(149, 149));
    QTest::newRow("stretched to another shape")
        << topBlack << QRectF(QPointF(0.5, 2.0), QPointF(1.0, 4.0))
        << QRect(QPoint(50, 200), QPoint(99, 299));
    QTest::newRow("empty image draws nothing")
        << QImage() << QRectF(QPointF(1.0, 1.0), QPointF(2.0, 1.5)) << QRect();
}

void TestEngineDrawing::stretchedImage() {
    QFETCH(QImage, image);
    QFETCH(QRectF, corners);
    QFETCH(QRect, dark);

    PdfEngine e;
    const QImage page = pdfprobe::grayPage(e.print([&](Report& r) {
        r.StretchImage(corners.left(), corners.top(), corners.right(), corners.bottom(), image);
    }));
    const QRect found = pdfprobe::darkBounds(page);
    QVERIFY2(near(found, dark), describe(found));
}

void TestEngineDrawing::imageHidesWhatLiesBeneath_data() {
    QTest::addColumn<QImage>("image");
    QImage white(4, 4, QImage::Format_RGB32);
    white.fill(Qt::white);
    QImage transparent(4, 4, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    QTest::newRow("white picture") << white;
    QTest::newRow("transparent picture") << transparent;
}

void TestEngineDrawing::imageHidesWhatLiesBeneath() {
    QFETCH(QImage, image);
    PdfEngine e;
    const QImage page = pdfprobe::grayPage(e.print([&](Report& r) {
        r.SetPen(PenStyle::Solid, 24);
        r.Rectangle(0.5, 1.0, 2.5, 3.0);
        r.StretchImage(1.0, 0.5, 2.0, 3.5, image);
    }));
    QVERIFY(pdfprobe::darkBounds(page, QRect(QPoint(100, 50), QPoint(199, 349))).isNull());
    QVERIFY(!pdfprobe::darkBounds(page, QRect(QPoint(40, 90), QPoint(60, 310))).isNull());
}

void TestEngineDrawing::newPageKeepsPenAndFont() {
    PdfEngine e;
    const QString pdf = e.print([](Report& r) {
        r.SetFont(kFace, 20);
        r.SetPen(PenStyle::Solid, 120);
        r.PrintAt(0.5, 1.0, "UNO");
        r.NewPage();
        r.PrintAt(0.5, 1.0, "DOS");
        r.MoveTo(0.5, 6.0);
        r.LineTo(2.5, 6.0);
    });
    QCOMPARE(pdfprobe::pageCount(pdf), 2);
    const auto second = pdfprobe::word(pdf, "DOS");
    QCOMPARE(second.page, 2);
    QVERIFY(qAbs(pdfprobe::dejaVuSize(second) - 20) < 0.05);
    QCOMPARE(pdfprobe::fonts(pdf), QStringList{"DejaVuSans"});
    const QRect line = pdfprobe::darkBounds(pdfprobe::grayPage(pdf, 2), QRect(0, 500, 315, 200));
    QVERIFY2(near(line, QRect(QPoint(45, 595), QPoint(254, 604))), describe(line));
}

void TestEngineDrawing::tenthsOfMillimetre_data() {
    QTest::addColumn<double>("inches");
    QTest::addColumn<int>("tenths");
    QTest::newRow("3.15") << 3.15 << 800;
    QTest::newRow("3.00") << 3.0 << 762;
    QTest::newRow("11") << 11.0 << 2794;
    QTest::newRow("half up to even") << 0.25 << 64;         // 63.5
    QTest::newRow("half down to even") << 0.75 << 190;      // 190.5
    QTest::newRow("half up to even again") << 1.25 << 318;  // 317.5
    QTest::newRow("nearest") << 2.0075 << 510;              // 509.905
    QTest::newRow("zero") << 0.0 << 0;
}

void TestEngineDrawing::tenthsOfMillimetre() {
    QFETCH(double, inches);
    QFETCH(int, tenths);
    QCOMPARE(engine::tenthsOfMillimetre(inches), tenths);
}

void TestEngineDrawing::paperSize_data() {
    QTest::addColumn<QList<QPointF>>("requests");  // SetPaperSize calls, in order
    QTest::addColumn<QSizeF>("points");

    const QSizeF ticket(800 / 254.0 * 72, 762 / 254.0 * 72);
    const QSizeF a4(595.276, 841.89);
    QTest::newRow("3.15 x 3.00") << QList<QPointF>{{3.15, 3.0}} << ticket;
    QTest::newRow("zero width leaves the paper") << QList<QPointF>{{3.15, 3.0}, {0, 5}} << ticket;
    QTest::newRow("zero height leaves the paper") << QList<QPointF>{{3.15, 3.0}, {4, 0}} << ticket;
    QTest::newRow("negative side leaves the paper")
        << QList<QPointF>{{3.15, 3.0}, {-2, 4}} << ticket;
    QTest::newRow("a later size wins") << QList<QPointF>{{8, 8}, {3.15, 3.0}} << ticket;
    QTest::newRow("none: the printer's default") << QList<QPointF>{} << a4;
    QTest::newRow("only a zero side: the default") << QList<QPointF>{{0, 0}} << a4;
}

void TestEngineDrawing::paperSize() {
    QFETCH(QList<QPointF>, requests);
    QFETCH(QSizeF, points);

    PdfEngine e;
    QSizeF reported;
    e.report.OnBeforePrint = [&](Report& r) {
        for (const QPointF& size : requests)
            r.SetPaperSize(size.x(), size.y());
    };
    e.report.OnPrint = [&](Report& r) { reported = QSizeF(r.PageWidth(), r.PageHeight()); };
    e.report.RunJob();

    const QSizeF page = pdfprobe::pageSize(e.report.lastPdfFile());
    QVERIFY2(qAbs(page.width() - points.width()) <= 1 && qAbs(page.height() - points.height()) <= 1,
             qPrintable(QString("%1 x %2 pt").arg(page.width()).arg(page.height())));
    QVERIFY(qAbs(reported.width() - points.width() / 72) < 0.01);
    QVERIFY(qAbs(reported.height() - points.height() / 72) < 0.01);
}

void TestEngineDrawing::paperBelongsToOneJob() {
    PdfEngine e;
    const QString first = e.print([](Report&) {}, 3.15, 3.0);
    e.report.OnBeforePrint = nullptr;
    e.report.RunJob();
    const QString second = e.report.lastPdfFile();
    QVERIFY(qAbs(pdfprobe::pageSize(first).height() - 216) <= 1);
    QVERIFY(qAbs(pdfprobe::pageSize(second).height() - 841.89) <= 1);
}

QTEST_MAIN(TestEngineDrawing)
#include "tst_engine_drawing.moc"
