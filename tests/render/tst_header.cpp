#include <QBuffer>
#include <QtTest>

#include "data/clock.h"
#include "render/picture.h"
#include "ticketshop.h"

namespace {

QByteArray bmpOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QImage logo() {
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 30));
    image.setPixel(0, 0, qRgb(0, 0, 0));
    return image;
}

// The text of every PrintAt, in order.
QStringList printedTexts(const RecordingReport& report) {
    QStringList texts;
    for (const QString& call : report.only({"PrintAt"}))
        texts << call.section(',', 2).chopped(1);
    return texts;
}

const QString kFechaRegistro =
    "select audi_fecha from auditoria where tido_cod = 531 and audi_iddoc = 57 order by audi_id "
    "desc";
const QString kHoraRegistro =
    "select substring(audi_hora from 1 for 8) from auditoria where tido_cod = 531 and audi_iddoc "
    "= 57 order by audi_id desc";
const QString kUsuarioRegistro =
    "select audi_usuario from auditoria where tido_cod = 531 and audi_iddoc = 57 order by audi_id "
    "desc";

}  // namespace

// The header against a real company database: the four steps and their order,
// the page tests, every header value, the audit lookups and the pictures.
class Header : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stepsInOrder();
    void elementsBelowTheSheetStartPages();
    void values_data();
    void values();
    void auditLookups_data();
    void auditLookups();
    void auditLookupFailureEndsTheJob();
    void neverMovesTheItemRow();
    void pictures_data();
    void pictures();
    void invalidPictureEndsTheJob();
    void hostileFormatStillEnds();

private:
    std::unique_ptr<TicketShop> t;
};

void Header::init() {
    QLocale::setDefault(QLocale("en_US"));
    data::clock::setForTesting([] { return QDateTime(QDate(2026, 12, 11), QTime(14, 5, 9)); });
    t = std::make_unique<TicketShop>();
}

void Header::cleanup() {
    t.reset();
    data::clock::setForTesting({});
    QLocale::setDefault(QLocale::c());
}

void Header::stepsInOrder() {
    t->format();
    t->element({{"FOLI_TIPO", "L"},
                {"FOLI_POSX", 0},
                {"FOLI_POSY", 100},
                {"FOLI_X", 1500},
                {"FOLI_Y", 0}});
    t->element(
        {{"FOLI_TIPO", "T"}, {"FOLI_POSX", 750}, {"FOLI_POSY", 1000}, {"FOLI_CADENA", "COMANDA"}});
    t->element({{"FOLI_TIPO", "C"},
                {"FOLI_POSX", 100},
                {"FOLI_POSY", 200},
                {"FOLI_X", 500},
                {"FOLI_Y", -100}});
    t->element({{"FOLI_TIPO", "G"},
                {"FOLI_POSX", 100},
                {"FOLI_POSY", 100},
                {"FOLI_IMAGEN", QByteArray()}});
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_LIQUIDA", "S"}, {"FOLI_POSY", 50}, {"FOLI_X", 10}});
    t->element({{"FOLI_TIPO", "T"}, {"FOLI_LIQUIDA", "S"}, {"FOLI_CADENA", "LIQUIDA"}});
    t->element({{"FOLI_TIPO", "X"}, {"FOLI_POSY", 50}, {"FOLI_X", 10}, {"FOLI_CADENA", "X"}});
    t->element({{"FOLI_TIPO", "t"}, {"FOLI_POSY", 50}, {"FOLI_CADENA", "lower"}});
    t->element({{"FOLI_TIPO", "T"},
                {"FOLI_POSY", 1500},
                {"FOLI_CADENA", "Mesa"},
                {"FOLI_FONT", "   "},
                {"FOLI_FSIZE", 0}});
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_REPITE", "S"}, {"FOLI_POSY", 600}, {"FOLI_X", 1500}});
    t->element({{"FOLI_TIPO", "T"},
                {"FOLI_POSY", 1600},
                {"FOLI_CADENA", "Gracias"},
                {"FOLI_FONT", "Courier New"}});

    t->field({{"DAFO_DATO", "PREFIJO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_POSX", 10},
              {"DAFO_POSY", 50}});
    t->field({{"DAFO_DATO", "CANTIDAD"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_FONT", "Courier New"},
              {"DAFO_FSIZE", 12}});
    t->field({{"DAFO_DATO", "NUMERO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", QVariant()}});
    t->field({{"DAFO_DATO", "NUMERO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", ""}});
    t->field({{"DAFO_DATO", "NUMERO"}, {"DAFO_IMPRIME", "N"}, {"DAFO_REPITE", "N"}});
    t->field({{"DAFO_DATO", "NUMERO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_LIQUIDA", "S"}});
    t->field(
        {{"DAFO_DATO", "numero"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}, {"DAFO_FSIZE", 7}});
    t->field(
        {{"DAFO_DATO", "NUMERO "}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}, {"DAFO_FSIZE", 8}});
    t->field({{"DAFO_DATO", "NIT"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_POSX", 100},
              {"DAFO_POSY", 300},
              {"DAFO_INI", 2},
              {"DAFO_LONG", 3},
              {"DAFO_LIQUIDA", "N"}});
    t->order({{"CLIENTE", "900123456"}});
    t->item("HAMB");
    t->runJob();

    const QStringList expected{
        "RunJob",
        "SetTitle(Impresion comanda 57)",
        // Pen, then drawings.
        "SetPen(0,2)",
        "MoveTo(0.0000,0.5500)",
        "LineTo(3.1500,0.5500)",
        "Rectangle(0.2100,1.1000,1.2600,0.5500)",
        "StretchImage(0.2100,0.5500,1.0000,1.0000,0x0)",
        "MoveTo(0.0000,3.3000)",
        "LineTo(3.1500,3.3000)",
        // Texts.
        "SetFont(Arial,10)",
        "PrintAt(1.5750,5.5000,COMANDA)",
        "SetFont(   ,0)",
        "PrintAt(0.0000,8.2500,Mesa)",
        "SetFont(Courier New,10)",
        "PrintAt(0.0000,8.8000,Gracias)",
        // Data: the font is set for every printed row, also when its key prints nothing.
        "SetFont(Arial,10)",
        "PrintAt(0.0210,0.2750,CO)",
        "SetFont(Courier New,12)",
        "SetFont(Arial,7)",
        "SetFont(Arial,8)",
        "SetFont(Arial,10)",
        "PrintAt(0.2100,1.6500,001)",
        // The one item line: its element only.
        "MoveTo(0.0000,3.3000)",
        "LineTo(3.1500,3.3000)",
        "EndJob",
    };
    QCOMPARE(t->report.calls, expected);
}

void Header::elementsBelowTheSheetStartPages() {
    t->format();
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_POSY", 100}, {"FOLI_X", 100}});
    t->element({{"FOLI_TIPO", "T"}, {"FOLI_POSY", 200}, {"FOLI_CADENA", "UNO"}});
    // Below the sheet, and not even drawn: the page test comes first all the same.
    t->element({{"FOLI_TIPO", "C"}, {"FOLI_POSY", 2100}, {"FOLI_LIQUIDA", "S"}});
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_POSY", 300}, {"FOLI_X", 100}});
    t->element({{"FOLI_TIPO", "T"}, {"FOLI_POSY", 400}, {"FOLI_CADENA", "DOS"}});
    // Exactly on the bottom edge is still on the sheet.
    t->element({{"FOLI_TIPO", "X"}, {"FOLI_POSY", 2000}});
    t->field({{"DAFO_DATO", "PREFIJO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_POSY", 2500}});
    t->order();
    t->item("HAMB");
    t->runJob();

    const QStringList expected{
        "SetPen(0,2)",
        "MoveTo(0.0000,0.5500)",
        "LineTo(0.2100,0.5500)",
        "NewPage",
        "MoveTo(0.0000,1.6500)",
        "LineTo(0.2100,1.6500)",
        "SetFont(Arial,10)",
        "PrintAt(0.0000,1.1000,UNO)",
        "NewPage",
        "SetFont(Arial,10)",
        "PrintAt(0.0000,2.2000,DOS)",
        // Data rows make no page test, however low they lie.
        "SetFont(Arial,10)",
        "PrintAt(0.0000,13.7500,CO)",
        "EndJob",
    };
    QCOMPARE(t->report.calls.mid(t->report.calls.indexOf("SetPen(0,2)")), expected);
}

void Header::values_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariantMap>("order");
    QTest::addColumn<QStringList>("texts");

    const QVariantMap filled{{"PREF_PRE", "CO"},
                             {"FACW_NUMERO", "00000057"},
                             {"FACW_FECHA", QDate(2026, 12, 11)},
                             {"CLIENTE", "900123456"},
                             {"NOMCLIENTE", "Ana Núñez"},
                             {"VEND_COD", 12},
                             {"NOMVEND", "Pedro Pérez"},
                             {"PTOVTA", 3},
                             {"NOMPTOVTA", "Terraza"},
                             {"FACW_OBS", "Sin cebolla, bien asado"}};
    QVariantMap nulls = filled;
    for (auto it = nulls.begin(); it != nulls.end(); ++it)
        it.value() = QVariant();

    QTest::newRow("en_US") << "en_US" << filled << QStringList{"CO",
                                                               "00000057",
                                                               "12/11/26",
                                                               "Friday, December 11, 2026",
                                                               "900123456",
                                                               "Ana Núñez",
                                                               "12",
                                                               "Pedro Pérez",
                                                               "3",
                                                               "Terraza",
                                                               "Sin cebolla, bien asado",
                                                               "2:05:09 PM"};
    QTest::newRow("es_ES") << "es_ES" << filled
                           << QStringList{"CO",
                                          "00000057",
                                          "11/12/26",
                                          "viernes, diciembre 11, 2026",
                                          "900123456",
                                          "Ana Núñez",
                                          "12",
                                          "Pedro Pérez",
                                          "3",
                                          "Terraza",
                                          "Sin cebolla, bien asado",
                                          "14:05:09"};
    // NULL texts print an empty text; NULL integers print 0; a NULL date in
    // words is day zero of the calendar.
    QTest::newRow("NULLs") << "en_US" << nulls
                           << QStringList{"",  "", "",  "Saturday, December 30, 1899",
                                          "",  "", "0", "",
                                          "0", "", "",  "2:05:09 PM"};
}

void Header::values() {
    QFETCH(QString, locale);
    QFETCH(QVariantMap, order);
    QFETCH(QStringList, texts);
    QLocale::setDefault(QLocale(locale));

    t->format();
    for (const char* key :
         {"PREFIJO", "NUMERO", "FECHA", "FECHA LETRAS", "NIT", "CLIENTE NOMBRE", "VENDEDOR",
          "NOMBRE VENDEDOR", "PUNTO DE VENTA", "NOMBRE PUNTO VENTA", "OBSERVACIONES",
          "HORA COMANDA", "FECHA REGISTRO", "HORA REGISTRO", "USUARIO REGISTRO"})
        t->field({{"DAFO_DATO", key}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->order(order);
    t->item("HAMB");
    t->runJob();
    // No audit row: the three audit keys print nothing.
    QCOMPARE(printedTexts(t->report), texts);
    QCOMPARE(t->report.only({"SetFont"}).size(), 15);
}

void Header::auditLookups_data() {
    QTest::addColumn<QList<QVariantMap>>("audit");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("no audit row") << QList<QVariantMap>() << QStringList();
    QTest::newRow("the highest audi_id of the order and type")
        << QList<QVariantMap>{{{"AUDI_ID", 5},
                               {"AUDI_FECHA", QDate(2026, 12, 10)},
                               {"AUDI_HORA", QTime(8, 0, 0)},
                               {"AUDI_USUARIO", "ANA"}},
                              {{"AUDI_ID", 9},
                               {"AUDI_FECHA", QDate(2026, 12, 11)},
                               {"AUDI_HORA", QTime(9, 5, 31, 123)},
                               {"AUDI_USUARIO", "LUIS"}},
                              {{"AUDI_ID", 7},
                               {"AUDI_FECHA", QDate(2026, 12, 12)},
                               {"AUDI_HORA", QTime(23, 0, 0)},
                               {"AUDI_USUARIO", "PEDRO"}},
                              {{"AUDI_ID", 20},
                               {"TIDO_COD", 530},
                               {"AUDI_FECHA", QDate(2027, 1, 1)},
                               {"AUDI_HORA", QTime(1, 0, 0)},
                               {"AUDI_USUARIO", "OTRO TIPO"}},
                              {{"AUDI_ID", 30},
                               {"AUDI_IDDOC", 58},
                               {"AUDI_FECHA", QDate(2027, 1, 2)},
                               {"AUDI_HORA", QTime(2, 0, 0)},
                               {"AUDI_USUARIO", "OTRA ORDEN"}}}
        << QStringList{"12/11/26", "09:05:31", "LUIS", "12/11/26", "09:05:31", "LUIS"};
    QTest::newRow("latest row empty: nothing, not an older row")
        << QList<QVariantMap>{{{"AUDI_ID", 5},
                               {"AUDI_FECHA", QDate(2026, 12, 10)},
                               {"AUDI_HORA", QTime(8, 0, 0)},
                               {"AUDI_USUARIO", "ANA"}},
                              {{"AUDI_ID", 9},
                               {"AUDI_FECHA", QVariant()},
                               {"AUDI_HORA", QVariant()},
                               {"AUDI_USUARIO", ""}}}
        << QStringList();
}

// Every header makes its own three lookups; two items one to a page make two headers.
void Header::auditLookups() {
    QFETCH(QList<QVariantMap>, audit);
    QFETCH(QStringList, texts);
    t->format({{"FORM_NROITEMS", 1}});
    for (const char* key : {"FECHA REGISTRO", "HORA REGISTRO", "USUARIO REGISTRO"})
        t->field({{"DAFO_DATO", key}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    for (const QVariantMap& row : audit)
        t->audit(row);
    t->order();
    t->item("HAMB");
    t->item("PAPA");
    t->runJob();

    QCOMPARE(printedTexts(t->report), texts);
    const QStringList once{kFechaRegistro, kHoraRegistro, kUsuarioRegistro};
    QCOMPARE(t->statementsContaining("auditoria"), once + once);
    QVERIFY(!t->CBorrar.isOpen());
}

void Header::auditLookupFailureEndsTheJob() {
    t->format();
    t->field({{"DAFO_DATO", "PREFIJO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->field({{"DAFO_DATO", "USUARIO REGISTRO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->field({{"DAFO_DATO", "NUMERO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->order();
    t->item("HAMB");
    t->shop.exec("drop table auditoria");
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, t->runJob());
    QCOMPARE(printedTexts(t->report), QStringList{"CO"});
    QCOMPARE(t->report.calls.last(), QString("AbortJob"));
    QVERIFY(!t->CBorrar.isOpen());
}

void Header::neverMovesTheItemRow() {
    t->format();
    t->field({{"DAFO_DATO", "NUMERO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->field({{"DAFO_DATO", "FECHA REGISTRO"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->order();
    t->item("HAMB");
    t->item("PAPA");
    t->item("SODA");
    t->runJob();
    t->CImpfactura.first();
    t->CImpfactura.next();
    t->report.calls.clear();
    t->printer.imprime_encabezado(t->report);
    QCOMPARE(t->CImpfactura.recNo(), 1);
    QCOMPARE(t->CImpfactura.text("ARTICULO"), QString("PAPA"));
    QCOMPARE(printedTexts(t->report), QStringList{"00000057"});
}

void Header::pictures_data() {
    QTest::addColumn<QVariant>("blob");
    QTest::addColumn<int>("posx");
    QTest::addColumn<int>("posy");
    QTest::addColumn<QString>("call");
    const QByteArray bmp = bmpOf(logo());
    QByteArray header(8, '\0');
    qToLittleEndian<quint16>(1, header.data());
    qToLittleEndian<quint16>(0x0100, header.data() + 2);
    qToLittleEndian<quint32>(quint32(bmp.size()), header.data() + 4);

    QTest::newRow("at the corner fills the inch square")
        << QVariant(bmp) << 0 << 0 << "StretchImage(0.0000,0.0000,1.0000,1.0000,7x5)";
    QTest::newRow("inside the inch square")
        << QVariant(bmp) << 100 << 100 << "StretchImage(0.2100,0.5500,1.0000,1.0000,7x5)";
    QTest::newRow("behind the graphic header")
        << QVariant(header + bmp) << 100 << 100 << "StretchImage(0.2100,0.5500,1.0000,1.0000,7x5)";
    QTest::newRow("beyond the inch point: corners kept, engine mirrors")
        << QVariant(bmp) << 1000 << 500 << "StretchImage(2.1000,2.7500,1.0000,1.0000,7x5)";
    QTest::newRow("empty blob") << QVariant(QByteArray()) << 0 << 0
                                << "StretchImage(0.0000,0.0000,1.0000,1.0000,0x0)";
    QTest::newRow("NULL blob") << QVariant() << 0 << 0
                               << "StretchImage(0.0000,0.0000,1.0000,1.0000,0x0)";
}

void Header::pictures() {
    QFETCH(QVariant, blob);
    QFETCH(int, posx);
    QFETCH(int, posy);
    QFETCH(QString, call);
    t->format();
    // An item picture is drawn by the header only, once.
    t->element({{"FOLI_TIPO", "G"},
                {"FOLI_POSX", posx},
                {"FOLI_POSY", posy},
                {"FOLI_X", 300},
                {"FOLI_Y", 300},
                {"FOLI_IMAGEN", blob},
                {"FOLI_REPITE", "S"}});
    t->order();
    t->item("HAMB");
    t->item("PAPA");
    t->runJob();
    QCOMPARE(t->report.only({"StretchImage"}), QStringList{call});
    if (!t->report.images.first().isNull())
        QCOMPARE(t->report.images.first().convertToFormat(QImage::Format_RGB32), logo());
}

void Header::invalidPictureEndsTheJob() {
    QByteArray bomb = bmpOf(logo());
    qToLittleEndian<qint32>(60000, bomb.data() + 18);
    qToLittleEndian<qint32>(60000, bomb.data() + 22);
    t->format();
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_POSY", 100}, {"FOLI_X", 100}});
    t->element({{"FOLI_TIPO", "G"}, {"FOLI_IMAGEN", bomb}});
    t->element({{"FOLI_TIPO", "C"}, {"FOLI_POSY", 100}, {"FOLI_X", 100}});
    t->order();
    t->item("HAMB");
    try {
        t->runJob();
        QFAIL("job printed");
    } catch (const render::InvalidBitmapError& e) {
        QVERIFY2(e.message().contains("60000"), qPrintable(e.message()));
    }
    QCOMPARE(
        t->report.calls.mid(t->report.calls.indexOf("SetPen(0,2)")),
        QStringList({"SetPen(0,2)", "MoveTo(0.0000,0.5500)", "LineTo(0.2100,0.5500)", "AbortJob"}));
}

void Header::hostileFormatStillEnds() {
    constexpr int kMax = 2147483647;
    t->format({{"FORM_FONT", ""}, {"FORM_FSIZE", QVariant()}, {"FORM_NROITEMS", kMax}});
    t->element({{"FOLI_TIPO", "L"},
                {"FOLI_POSX", kMax},
                {"FOLI_POSY", -kMax},
                {"FOLI_X", -kMax},
                {"FOLI_Y", kMax}});
    t->element(
        {{"FOLI_TIPO", "T"}, {"FOLI_POSY", kMax}, {"FOLI_CADENA", "X"}, {"FOLI_FSIZE", 100000}});
    t->field({{"DAFO_DATO", "NUMERO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_POSX", -kMax},
              {"DAFO_FSIZE", -5},
              {"DAFO_INI", -32768},
              {"DAFO_LONG", kMax}});
    t->field({{"DAFO_DATO", "NUMERO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_FONT", "   "},
              {"DAFO_INI", 32767},
              {"DAFO_LONG", 1}});
    t->order();
    t->item("HAMB");
    t->runJob();
    QCOMPARE(
        t->report.calls.mid(t->report.calls.indexOf("SetPen(0,2)")),
        QStringList({"SetPen(0,2)", "MoveTo(4509715.6587,-11811160.0585)", "LineTo(0.0000,0.0000)",
                     "NewPage", "NewPage", "SetFont(,100000)", "PrintAt(0.0000,11811160.0585,X)",
                     "SetFont(,-5)", "PrintAt(-4509715.6587,0.0000,00000057)", "SetFont(   ,0)",
                     "PrintAt(0.0000,0.0000,)", "EndJob"}));
}

QTEST_GUILESS_MAIN(Header)
#include "tst_header.moc"
