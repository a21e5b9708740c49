#include <QtTest>

#include "data/clock.h"
#include "ticketshop.h"

namespace {

const QString kHeader = "PrintAt(0.0000,0.5500,CO)";

// Item k's code printed on the line at y inches.
QString itemAt(int k, const char* y) {
    return QString("PrintAt(0.2100,%1,I%2)").arg(y).arg(k);
}

}  // namespace

// Item lines and page breaks against a real company database.
class Detail : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void paging_data();
    void paging();
    void itemLineElements();
    void itemValues_data();
    void itemValues();
    void everyHeaderShowsTheTimeItWasDrawn();

private:
    std::unique_ptr<TicketShop> t;
};

void Detail::init() {
    QLocale::setDefault(QLocale("en_US"));
    t = std::make_unique<TicketShop>();
}

void Detail::cleanup() {
    t.reset();
    data::clock::setForTesting({});
    QLocale::setDefault(QLocale::c());
}

void Detail::paging_data() {
    QTest::addColumn<QVariant>("nroItems");
    QTest::addColumn<QVariant>("paginas");
    QTest::addColumn<int>("items");
    QTest::addColumn<QVariant>("entrelinea");
    QTest::addColumn<QStringList>("expected");
    const QVariant null;
    const QString np = "NewPage";

    QTest::newRow("3 a page, 5 items, continued")
        << QVariant(3) << QVariant("S") << 5 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.5200"), itemAt(3, "3.7400"), np,
                       kHeader, itemAt(4, "3.3000"), itemAt(5, "3.5200")};
    QTest::newRow("3 a page, 5 items, left off")
        << QVariant(3) << QVariant("N") << 5 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.5200"), itemAt(3, "3.7400")};
    QTest::newRow("a full page makes no empty page")
        << QVariant(3) << QVariant("S") << 3 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.5200"), itemAt(3, "3.7400")};
    QTest::newRow("2 a page, 5 items")
        << QVariant(2) << QVariant("S") << 5 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.5200"), np,
                       kHeader, itemAt(3, "3.3000"), itemAt(4, "3.5200"), np,
                       kHeader, itemAt(5, "3.3000")};
    QTest::newRow("lower-case s does not continue")
        << QVariant(3) << QVariant("s") << 5 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.5200"), itemAt(3, "3.7400")};
    QTest::newRow("NULL pages flag does not continue")
        << QVariant(3) << null << 4 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.5200"), itemAt(3, "3.7400")};
    QTest::newRow("0 a page, not continued: header only")
        << QVariant(0) << QVariant("N") << 3 << QVariant(40) << QStringList{kHeader};
    QTest::newRow("NULL a page, not continued: header only")
        << null << QVariant("N") << 3 << QVariant(40) << QStringList{kHeader};
    // No room for an item and continued pages: one item a page, so the job ends.
    QTest::newRow("0 a page, continued: one a page")
        << QVariant(0) << QVariant("S") << 3 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), np, kHeader, itemAt(2, "3.3000"), np,
                       kHeader, itemAt(3, "3.3000")};
    QTest::newRow("NULL a page, continued: one a page")
        << null << QVariant("S") << 2 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), np, kHeader, itemAt(2, "3.3000")};
    QTest::newRow("negative a page, continued: one a page")
        << QVariant(-2) << QVariant("S") << 2 << QVariant(40)
        << QStringList{kHeader, itemAt(1, "3.3000"), np, kHeader, itemAt(2, "3.3000")};
    QTest::newRow("negative spacing moves lines up")
        << QVariant(3) << QVariant("S") << 3 << QVariant(-40)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.0800"), itemAt(3, "2.8600")};
    QTest::newRow("NULL spacing stacks the lines")
        << QVariant(3) << QVariant("S") << 3 << null
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "3.3000"), itemAt(3, "3.3000")};
    QTest::newRow("largest spacing")
        << QVariant(3) << QVariant("S") << 2 << QVariant(2147483647)
        << QStringList{kHeader, itemAt(1, "3.3000"), itemAt(2, "11811163.3585")};
}

void Detail::paging() {
    QFETCH(QVariant, nroItems);
    QFETCH(QVariant, paginas);
    QFETCH(int, items);
    QFETCH(QVariant, entrelinea);
    QFETCH(QStringList, expected);

    t->format(
        {{"FORM_NROITEMS", nroItems}, {"FORM_PAGINAS", paginas}, {"FORM_ENTRELINEA", entrelinea}});
    t->field({{"DAFO_DATO", "PREFIJO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "N"},
              {"DAFO_POSY", 100}});
    t->field({{"DAFO_DATO", "ARTICULO CODIGO"},
              {"DAFO_IMPRIME", "S"},
              {"DAFO_REPITE", "S"},
              {"DAFO_POSX", 100},
              {"DAFO_POSY", 600}});
    t->order();
    for (int k = 1; k <= items; ++k)
        t->item(QString("I%1").arg(k));
    t->runJob();

    QCOMPARE(t->report.only({"PrintAt", "NewPage"}), expected);
    QVERIFY(t->CImpfactura.eof());
}

// Item elements are drawn on every line, shifted by the line's offset; the
// header draws them once at their own place; pictures and other kinds never.
void Detail::itemLineElements() {
    t->format({{"FORM_ENTRELINEA", 40}});
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_REPITE", "S"}, {"FOLI_POSY", 600}, {"FOLI_X", 1500}});
    t->element({{"FOLI_TIPO", "C"},
                {"FOLI_REPITE", "S"},
                {"FOLI_POSX", 100},
                {"FOLI_POSY", 580},
                {"FOLI_X", 200},
                {"FOLI_Y", 40}});
    t->element({{"FOLI_TIPO", "T"},
                {"FOLI_REPITE", "S"},
                {"FOLI_POSY", 620},
                {"FOLI_CADENA", "-"},
                {"FOLI_FSIZE", 6}});
    t->element({{"FOLI_TIPO", "G"}, {"FOLI_REPITE", "S"}, {"FOLI_IMAGEN", QByteArray()}});
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_REPITE", "N"}, {"FOLI_POSY", 100}, {"FOLI_X", 10}});
    t->element({{"FOLI_TIPO", "L"}, {"FOLI_REPITE", "S"}, {"FOLI_LIQUIDA", "S"}, {"FOLI_X", 10}});
    t->element({{"FOLI_TIPO", "X"}, {"FOLI_REPITE", "S"}, {"FOLI_X", 10}});
    t->order();
    t->item("HAMB");
    t->item("PAPA");
    t->runJob();

    const QStringList expected{
        // Header: every element once, at its own place.
        "SetPen(0,2)",
        "MoveTo(0.0000,3.3000)",
        "LineTo(3.1500,3.3000)",
        "Rectangle(0.2100,3.1900,0.6300,3.4100)",
        "StretchImage(0.0000,0.0000,1.0000,1.0000,0x0)",
        "MoveTo(0.0000,0.5500)",
        "LineTo(0.0210,0.5500)",
        "SetFont(Arial,6)",
        "PrintAt(0.0000,3.4100,-)",
        // First item line: on top of the header's drawing.
        "MoveTo(0.0000,3.3000)",
        "LineTo(3.1500,3.3000)",
        "Rectangle(0.2100,3.1900,0.6300,3.4100)",
        "SetFont(Arial,6)",
        "PrintAt(0.0000,3.4100,-)",
        // Second item line: 40 units (0.22 in) lower.
        "MoveTo(0.0000,3.5200)",
        "LineTo(3.1500,3.5200)",
        "Rectangle(0.2100,3.4100,0.6300,3.6300)",
        "SetFont(Arial,6)",
        "PrintAt(0.0000,3.6300,-)",
        "EndJob",
    };
    QCOMPARE(t->report.calls.mid(t->report.calls.indexOf("SetPen(0,2)")), expected);
}

void Detail::itemValues_data() {
    QTest::addColumn<QVariantMap>("field");
    QTest::addColumn<QVariantMap>("item");
    QTest::addColumn<QStringList>("line");
    const QVariant null;
    const QString font = "SetFont(Arial,10)";
    auto at = [](const QString& text) { return "PrintAt(0.2100,3.3000," + text + ")"; };
    auto rightAt = [](const QString& text) { return "PrintRightAt(0.2100,3.3000," + text + ")"; };

    QTest::newRow("code") << QVariantMap{{"DAFO_DATO", "ARTICULO CODIGO"}} << QVariantMap()
                          << QStringList{font, at("HAMB")};
    QTest::newRow("code cut") << QVariantMap{{"DAFO_DATO", "ARTICULO CODIGO"},
                                             {"DAFO_INI", 2},
                                             {"DAFO_LONG", 2}}
                              << QVariantMap() << QStringList{font, at("AM")};
    QTest::newRow("description") << QVariantMap{{"DAFO_DATO", "ARTICULO DESCRIPCION"}}
                                 << QVariantMap() << QStringList{font, at("Plato HAMB")};
    QTest::newRow("unit") << QVariantMap{{"DAFO_DATO", "UNIDAD"}} << QVariantMap()
                          << QStringList{font, at("und")};
    QTest::newRow("reference") << QVariantMap{{"DAFO_DATO", "REFERENCIA ITEM"}}
                               << QVariantMap{{"FAWD_REFERENCIA", "Mesa 4"}}
                               << QStringList{font, at("Mesa 4")};
    QTest::newRow("NULL reference prints an empty text")
        << QVariantMap{{"DAFO_DATO", "REFERENCIA ITEM"}} << QVariantMap()
        << QStringList{font, at("")};
    QTest::newRow("changes") << QVariantMap{{"DAFO_DATO", "CAMBIOS ENSAMBLE"},
                                            {"DAFO_FONT", "Courier New"}}
                             << QVariantMap{{"FAWD_CAMBIOS", "sin cebolla, ñame"}}
                             << QStringList{"SetFont(Courier New,10)", at("sin cebolla, ñame")};
    QTest::newRow("quantity to units, half down")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_FORMATO", "0"}}
        << QVariantMap{{"FAWD_CANT", 2.5}} << QStringList{font, rightAt("2")};
    QTest::newRow("quantity to units, half up")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_FORMATO", "0"}}
        << QVariantMap{{"FAWD_CANT", 3.5}} << QStringList{font, rightAt("4")};
    QTest::newRow("quantity, empty decimals")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_FORMATO", ""}}
        << QVariantMap{{"FAWD_CANT", 1234.5}} << QStringList{font, rightAt("1,234.50")};
    QTest::newRow("quantity, mask")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_FORMATO", "#,##0.00"}}
        << QVariantMap{{"FAWD_CANT", 0.125}} << QStringList{font, rightAt("0.12")};
    QTest::newRow("NULL quantity prints nothing")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_FORMATO", "0"}}
        << QVariantMap{{"FAWD_CANT", null}} << QStringList{font};
    QTest::newRow("unit price in currency")
        << QVariantMap{{"DAFO_DATO", "PRECIO UNITARIO"}, {"DAFO_FORMATO", "0"}}
        << QVariantMap{{"FAWD_PRUNIT", 25900.0}} << QStringList{font, rightAt("$25,900")};
    QTest::newRow("NULL unit price prints nothing")
        << QVariantMap{{"DAFO_DATO", "PRECIO UNITARIO"}} << QVariantMap{{"FAWD_PRUNIT", null}}
        << QStringList{font};
    QTest::newRow("header key on an item row")
        << QVariantMap{{"DAFO_DATO", "PREFIJO"}} << QVariantMap() << QStringList{font};
    QTest::newRow("key in other letter case") << QVariantMap{{"DAFO_DATO", "cantidad"}}
                                              << QVariantMap{{"FAWD_CANT", 1}} << QStringList{font};
    QTest::newRow("key with a trailing blank")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD "}} << QVariantMap{{"FAWD_CANT", 1}}
        << QStringList{font};
    QTest::newRow("not printed") << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_IMPRIME", "N"}}
                                 << QVariantMap{{"FAWD_CANT", 1}} << QStringList();
    QTest::newRow("liquidation row")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_LIQUIDA", "S"}}
        << QVariantMap{{"FAWD_CANT", 1}} << QStringList();
    QTest::newRow("repeat flag empty")
        << QVariantMap{{"DAFO_DATO", "CANTIDAD"}, {"DAFO_REPITE", ""}}
        << QVariantMap{{"FAWD_CANT", 1}} << QStringList();
}

void Detail::itemValues() {
    QFETCH(QVariantMap, field);
    QFETCH(QVariantMap, item);
    QFETCH(QStringList, line);
    t->format();
    QVariantMap columns{
        {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "S"}, {"DAFO_POSX", 100}, {"DAFO_POSY", 600}};
    columns.insert(field);
    t->field(columns);
    t->order();
    t->item("HAMB", item);
    t->runJob();
    // The header has nothing to draw here: what follows its pen is the item line.
    QCOMPARE(t->report.calls.mid(t->report.calls.indexOf("SetPen(0,2)") + 1),
             line + QStringList{"EndJob"});
}

void Detail::everyHeaderShowsTheTimeItWasDrawn() {
    int seconds = 0;
    data::clock::setForTesting(
        [&seconds] { return QDateTime(QDate(2026, 12, 11), QTime(14, 5, 9).addSecs(seconds++)); });
    t->format({{"FORM_NROITEMS", 1}});
    t->field({{"DAFO_DATO", "HORA COMANDA"}, {"DAFO_IMPRIME", "S"}, {"DAFO_REPITE", "N"}});
    t->order();
    t->item("HAMB");
    t->item("PAPA");
    t->runJob();
    QCOMPARE(t->report.only({"PrintAt", "NewPage"}),
             QStringList({"PrintAt(0.0000,0.0000,2:05:09 PM)", "NewPage",
                          "PrintAt(0.0000,0.0000,2:05:10 PM)"}));
}

QTEST_GUILESS_MAIN(Detail)
#include "tst_detail.moc"
