#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include "hostilewindow.h"
#include "pdf_probe.h"
#include "shopdata.h"

namespace {
const QDate kToday(2026, 12, 11);
const QDateTime kMorning(kToday, QTime(10, 5, 31));
constexpr qint32 kMaxInt = 2147483647;

enum class Outcome { Printed, Refused };

QString str(qint64 value) {
    return QString::number(value);
}

// A BMP file header and BITMAPINFOHEADER claiming width × height 24-bit pixels,
// followed by a few bytes of pixels only.
QByteArray bmpClaiming(qint32 width, qint32 height) {
    QByteArray bmp(54 + 16, '\0');
    char* p = bmp.data();
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(bmp.size()), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    return bmp;
}

QByteArray garbage(qsizetype size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(531);  // the same garbage every run
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    bytes[0] = 'B';  // looks like a bitmap for two bytes, then nothing does
    bytes[1] = 'M';
    return bytes;
}

// A picture element of the header, its blob bound rather than written in the text.
void addPicture(const TestShop& shop, const QByteArray& blob) {
    execBound(shop,
              "insert into formato_lineas (tido_cod, pref_pre, foli_item, foli_tipo, foli_posx, "
              "foli_posy, foli_imagen, foli_repite) values (531, 'CO', 90, 'G', 10, 10, ?, 'N')",
              {blob});
}

QString lineElement(int item, const QString& kind, qint64 posx, qint64 posy, qint64 w, qint64 h,
                    const QString& repeat) {
    return QString(
               "insert into formato_lineas (tido_cod, pref_pre, foli_item, foli_tipo, "
               "foli_posx, foli_posy, foli_x, foli_y, foli_repite) values (531, 'CO', %1, "
               "'%2', %3, %4, %5, %6, '%7')")
        .arg(item)
        .arg(kind, str(posx), str(posy), str(w), str(h), repeat);
}

QString dataField(int item, const QString& key, const QString& repeat, const QString& extra = {},
                  const QString& extraValues = {}) {
    return QString(
               "insert into formato_datos (tido_cod, pref_pre, dafo_item, dafo_dato, "
               "dafo_imprime, dafo_posx, dafo_posy, dafo_repite%1) values (531, 'CO', %2, "
               "'%3', 'S', 100, 300, '%4'%5)")
        .arg(extra.isEmpty() ? QString() : ", " + extra)
        .arg(item)
        .arg(key, repeat, extraValues.isEmpty() ? QString() : ", " + extraValues);
}
}  // namespace

Q_DECLARE_METATYPE(Outcome)

// Formats no designer meant, each through one pass of the real window and
// engine: either a ticket and the order marked, or a clear error and the order
// still pending. Never a crash, a hang or a wrong mark.
class TestHostileFormats : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void onePass_data();
    void onePass();
    void hugePictureIsRefused_data();
    void hugePictureIsRefused();

private:
    void checkPrinted(HostileWindow& w);
    void checkRefused(HostileWindow& w, const QString& errorPart);

    std::unique_ptr<TestShop> shop;
};

void TestHostileFormats::init() {
    shop = std::make_unique<TestShop>();
    seedSmallShop(*shop);
    // Item fields as well as the header's order number, so the item offsets run.
    shop->exec(dataField(2, "CANTIDAD", "S"));
    shop->exec(dataField(3, "ARTICULO DESCRIPCION", "S"));
    shop->exec(dataField(4, "OBSERVACIONES", "N"));
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    addItem(*shop, 1, 2, "A2", "S", "N", "08:00:00");
    addItem(*shop, 1, 3, "A1", "S", "N", "08:00:00");
    data::clock::setForTesting([] { return kMorning; });
}

void TestHostileFormats::cleanup() {
    shop.reset();
}

void TestHostileFormats::checkPrinted(HostileWindow& w) {
    QVERIFY2(!w.window->errorBox().isOpen(), qPrintable(w.window->errorBox().text()));
    QCOMPARE(w.messages.messages, QStringList());
    const QStringList pdfs = w.pdfs();
    QCOMPARE(pdfs.size(), 1);
    QVERIFY(pdfprobe::pageCount(pdfs.first()) >= 1);
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(printedFlag(*shop, 1, item), QString("S"));
}

void TestHostileFormats::checkRefused(HostileWindow& w, const QString& errorPart) {
    QVERIFY(w.window->errorBox().isOpen());
    QVERIFY2(w.window->errorBox().text().contains(errorPart),
             qPrintable(w.window->errorBox().text()));
    QCOMPARE(w.pdfs(), QStringList());
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(printedFlag(*shop, 1, item), QString("N"));
}

void TestHostileFormats::onePass_data() {
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("errorPart");

    const auto printed = [](const QByteArray& name, const QStringList& statements) {
        QTest::newRow(name.constData()) << statements << Outcome::Printed << QString();
    };
    for (const qint64 edge : {qint64(kMaxInt), -qint64(kMaxInt)}) {
        const QByteArray edgeName = edge > 0 ? "2^31-1" : "-(2^31-1)";
        printed("field at " + edgeName, {"update formato_datos set dafo_posx = " + str(edge) +
                                         ", dafo_posy = " + str(edge)});
        printed("header line and box at " + edgeName,
                {lineElement(10, "L", edge, edge, edge, edge, "N"),
                 lineElement(11, "C", edge, edge, edge, edge, "N"),
                 lineElement(12, "L", 0, 0, edge, -edge, "N")});
        printed("item line and box at " + edgeName,
                {lineElement(10, "L", edge, edge, edge, edge, "S"),
                 lineElement(11, "C", -edge, edge, edge, -edge, "S")});
        // Three items: the third line lies 2 × spacing down, past 32 bits.
        printed("line spacing " + edgeName, {"update formatos set form_entrelinea = " + str(edge)});
    }
    printed("nroitems 2^31-1", {"update formatos set form_nroitems = " + str(kMaxInt)});
    printed("nroitems negative with pages",
            {"update formatos set form_nroitems = -5, form_paginas = 'S'"});
    printed("nroitems -2^31 with pages",
            {"update formatos set form_nroitems = -2147483648, form_paginas = 'S'"});
    printed("nroitems negative without pages",
            {"update formatos set form_nroitems = -1, form_paginas = 'N'"});
    for (const int size : {0, -5, 100000}) {
        const QByteArray name = QByteArray::number(size);
        printed("format font size " + name, {"update formatos set form_fsize = " + str(size),
                                             "update formato_datos set dafo_fsize = null"});
        printed("field font size " + name, {"update formato_datos set dafo_fsize = " + str(size)});
        printed("text font size " + name,
                {"insert into formato_lineas (tido_cod, pref_pre, foli_item, foli_tipo, foli_posx, "
                 "foli_posy, foli_cadena, foli_fsize, foli_repite) values (531, 'CO', 20, 'T', "
                 "50, 60, 'Mesa', " +
                 str(size) + ", 'N')"});
    }
    printed("empty font names",
            {"update formatos set form_font = ''", "update formato_datos set dafo_font = ''",
             "insert into formato_lineas (tido_cod, pref_pre, foli_item, "
             "foli_tipo, foli_posx, foli_posy, foli_cadena, foli_font) values "
             "(531, 'CO', 20, 'T', 50, 60, 'Mesa', '')"});
    printed("blank font names", {"update formatos set form_font = '   '",
                                 "update formato_datos set dafo_font = '      '",
                                 "insert into formato_lineas (tido_cod, pref_pre, foli_item, "
                                 "foli_tipo, foli_posx, foli_posy, foli_cadena, foli_font) values "
                                 "(531, 'CO', 20, 'T', 50, 60, 'Mesa', ' ')"});
    for (const auto& [ini, length] : QList<std::pair<qint64, qint64>>{{-32768, kMaxInt},
                                                                      {32767, kMaxInt},
                                                                      {32767, 1},
                                                                      {1, -2147483648LL},
                                                                      {-32768, -1},
                                                                      {0, kMaxInt}}) {
        const QByteArray name =
            "ini " + QByteArray::number(ini) + " long " + QByteArray::number(length);
        printed(name, {"update formato_datos set dafo_ini = " + str(ini) +
                       ", dafo_long = " + str(length)});
    }
    printed("1024-character remark",
            {"update factura_web set facw_obs = '" + QString(1024, 'R') + "' where facw_id = 1"});
    printed(
        "1024-character remark with a wide window",
        {"update factura_web set facw_obs = '" + QString(1023, 'R') + "' || 'Z' where facw_id = 1",
         "update formato_datos set dafo_ini = 1000, dafo_long = 2147483647"});
}

void TestHostileFormats::onePass() {
    QFETCH(QStringList, statements);
    QFETCH(Outcome, outcome);
    QFETCH(QString, errorPart);
    for (const QString& sql : statements)
        shop->exec(sql);

    HostileWindow w(*shop);
    w.login();
    w.pass();
    if (outcome == Outcome::Printed)
        checkPrinted(w);
    else
        checkRefused(w, errorPart);
    QVERIFY(!w.window->passRunning());
}

void TestHostileFormats::hugePictureIsRefused_data() {
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("10 MB of garbage")
        << garbage(10 * 1024 * 1024) << "Imagen de mapa de bits no válida";
    QTest::newRow("60000 x 60000 pixels") << bmpClaiming(60000, 60000) << "60000 × 60000";
    QTest::newRow("60000 x -60000 pixels") << bmpClaiming(60000, -60000) << "60000 × 60000";
    QByteArray graphic(8, '\0');
    const QByteArray inner = bmpClaiming(60000, 60000);
    qToLittleEndian<quint16>(1, graphic.data());
    qToLittleEndian<quint16>(0x0100, graphic.data() + 2);
    qToLittleEndian<quint32>(quint32(inner.size()), graphic.data() + 4);
    QTest::newRow("60000 x 60000 behind the graphic header") << graphic + inner << "60000 × 60000";
}

void TestHostileFormats::hugePictureIsRefused() {
    QFETCH(QByteArray, blob);
    QFETCH(QString, errorPart);
    addPicture(*shop, blob);
    HostileWindow w(*shop);
    w.login();
    w.pass();
    checkRefused(w, errorPart);
    QVERIFY(!w.window->passRunning());

    // The next pass after the picture is fixed prints the order that waited.
    shop->exec("update formato_lineas set foli_imagen = null where foli_item = 90");
    w.window->errorBox().close();
    w.pass();
    checkPrinted(w);
}

QTEST_MAIN(TestHostileFormats)
#include "tst_hostile_formats.moc"
