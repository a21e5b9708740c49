#include <QtTest>
#include <algorithm>

#include "data/sqltext.h"
#include "hostilewindow.h"
#include "pdf_probe.h"
#include "shopdata.h"

namespace {
const QDate kToday(2026, 12, 11);
const QDateTime kMorning(kToday, QTime(10, 5, 31));

// Every user table's rows as text, sorted, the printed flags left out: what a
// pass may not change.
QMap<QString, QStringList> snapshot(TestShop& shop) {
    QMap<QString, QStringList> tables;
    const auto names = shop.rows(
        "select trim(rdb$relation_name) from rdb$relations where rdb$system_flag = 0 and "
        "rdb$view_blr is null");
    for (const QVariantList& name : names) {
        const QString table = name.first().toString();
        QStringList rows;
        for (const QVariantList& row : shop.rows("select * from " + table)) {
            QStringList values;
            for (const QVariant& value : row)
                values << (value.isNull() ? QString("<null>") : value.toString());
            rows << values.join('|');
        }
        if (table == "FACTURA_WEB_DETALLE") rows = {QString::number(rows.size())};
        std::sort(rows.begin(), rows.end());
        tables[table] = rows;
    }
    return tables;
}

bool sentOrderStatement(const QStringList& log) {
    return std::any_of(log.begin(), log.end(), [](const QString& sql) {
        return sql.startsWith("SELECT facw_id", Qt::CaseInsensitive) ||
               sql.startsWith("UPDATE", Qt::CaseInsensitive) ||
               sql.contains("impr_comanda", Qt::CaseInsensitive);
    });
}
}  // namespace

// Parameters staff pick or pass on the command line that look like SQL: they
// stay values.
class TestHostileParameters : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void prefixStaysAValue_data();
    void prefixStaysAValue();
    void queueThatIsNotAnIntegerSendsNothing_data();
    void queueThatIsNotAnIntegerSendsNothing();

private:
    std::unique_ptr<TestShop> shop;
};

void TestHostileParameters::init() {
    shop = std::make_unique<TestShop>();
    seedSmallShop(*shop);
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    data::clock::setForTesting([] { return kMorning; });
}

void TestHostileParameters::cleanup() {
    shop.reset();
}

void TestHostileParameters::prefixStaysAValue_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("inStatement");
    QTest::addColumn<bool>("fitsFieldTable");
    // FORMATO_DATOS keys its prefix in 4 characters where FORMATOS allows 6:
    // the server refuses a longer prefix bound to its parameter, a database
    // error like any other, and the order waits.
    QTest::newRow("quote and comment") << "X';--"
                                       << "'X'';--'" << false;
    QTest::newRow("semicolon") << "A;B"
                               << "'A;B'" << true;
    QTest::newRow("block comment") << "/*"
                                   << "'/*'" << true;
    QTest::newRow("quote") << "O'K"
                           << "'O''K'" << true;
    QTest::newRow("quote or quote") << "' OR '"
                                    << "''' OR '''" << false;
    QTest::newRow("two quotes") << "''"
                                << "''''''" << true;
    QTest::newRow("comment") << "--"
                             << "'--'" << true;
}

void TestHostileParameters::prefixStaysAValue() {
    QFETCH(QString, prefix);
    QFETCH(QString, inStatement);
    QFETCH(bool, fitsFieldTable);
    // A format of its own for every hostile prefix, beside the shop's CO, each
    // printing a text that names it; FORMATO_DATOS keys are too short for
    // some of these, so the text is a fixed element.
    const QStringList prefixes = {"X';--", "A;B", "/*", "O'K", "' OR '", "''", "--"};
    for (int i = 0; i < prefixes.size(); ++i) {
        const QString literal = data::quotedLiteral(prefixes[i]);
        shop->exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (531, " +
                   literal + ", 'S')");
        shop->exec(
            "insert into formatos (tido_cod, pref_pre, form_nroitems, form_font, "
            "form_fsize) values (531, " +
            literal + ", 5, 'DejaVu Sans', 10)");
        shop->exec(QString("insert into formato_lineas (tido_cod, pref_pre, foli_item, foli_tipo, "
                           "foli_posx, foli_posy, foli_cadena) values (531, %1, 1, 'T', 100, "
                           "200, 'formato%2')")
                       .arg(literal)
                       .arg(i));
    }
    const QMap<QString, QStringList> before = snapshot(*shop);

    HostileWindow w(*shop);
    w.login();
    w.window->Prefijo->setKeyValue(prefix);
    QCOMPARE(w.window->Prefijo->keyValue().toString(), prefix);
    w.pass();

    QCOMPARE(w.messages.messages, QStringList());
    QCOMPARE(w.log().value(0),
             "SELECT * FROM FORMATOS WHERE TIDO_COD = 531 AND PREF_PRE = " + inStatement);
    QCOMPARE(snapshot(*shop), before);
    if (!fitsFieldTable) {
        // The format row was found (its field rows were asked for), then refused.
        QVERIFY(w.log().value(1).startsWith("SELECT * FROM FORMATO_DATOS"));
        QVERIFY2(w.window->errorBox().text().contains("string right truncation"),
                 qPrintable(w.window->errorBox().text()));
        QVERIFY2(!sentOrderStatement(w.log()), qPrintable(w.log().join('\n')));
        QCOMPARE(w.pdfs(), QStringList());
        QCOMPARE(printedFlag(*shop, 1, 1), QString("N"));
        return;
    }
    QVERIFY2(!w.window->errorBox().isOpen(), qPrintable(w.window->errorBox().text()));
    // The ticket carries the text of exactly this prefix's format.
    const QStringList pdfs = w.pdfs();
    QCOMPARE(pdfs.size(), 1);
    QStringList texts;
    for (const pdfprobe::Word& word : pdfprobe::words(pdfs.first()))
        texts << word.text;
    QCOMPARE(texts, QStringList{"formato" + QString::number(prefixes.indexOf(prefix))});
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
}

void TestHostileParameters::queueThatIsNotAnIntegerSendsNothing_data() {
    QTest::addColumn<QString>("queue");
    for (const char* queue : {"1 OR 1=1", "99999999999", "-0", " 7", "1;", "0x1", "1e3", "+1"})
        QTest::newRow(queue) << QString(queue);
}

void TestHostileParameters::queueThatIsNotAnIntegerSendsNothing() {
    QFETCH(QString, queue);
    const QMap<QString, QStringList> before = snapshot(*shop);
    HostileWindow w(*shop);
    w.login(queue);
    w.pass();

    QCOMPARE(w.window->errorBox().text(), "'" + queue + "' no es un valor entero válido");
    QVERIFY2(!sentOrderStatement(w.log()), qPrintable(w.log().join('\n')));
    QCOMPARE(w.pdfs(), QStringList());
    QCOMPARE(printedFlag(*shop, 1, 1), QString("N"));
    QCOMPARE(snapshot(*shop), before);
}

QTEST_MAIN(TestHostileParameters)
#include "tst_hostile_parameters.moc"
