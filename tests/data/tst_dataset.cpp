#include <QtTest>

#include "data/dataset.h"
#include "data/errors.h"
#include "data/sqlconnection.h"
#include "testshop.h"

// The data layer against a real Firebird server and the real schema: what the
// QIBASE driver hands over, and what the program reads from it.
class TestDataSet : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void decimalsBecomeFixedPoint();
    void charFlagsAndNulls();
    void accentedTextArrivesUnchanged();
    void fetchErrorsAreRaised();
    void noTransactionStaysOpen();
    void executeIsCommittedAtOnce();
    void nestedDetailFollowsMasterRow();
    void parametersIgnoreCaseAndFailedOpenStaysClosed();

private:
    void connect(data::SqlConnection& connection);
    std::unique_ptr<TestShop> shop;
    data::StatementLog log;
};

void TestDataSet::init() {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    shop = std::make_unique<TestShop>();
    log.clear();
}

void TestDataSet::cleanup() {
    shop.reset();
    QLocale::setDefault(QLocale::c());
}

void TestDataSet::connect(data::SqlConnection& connection) {
    connection.setParam("Database", shop->companyDatabase());
    connection.setParam("User_Name", TestShop::user());
    connection.setParam("Password", TestShop::password());
    connection.open();
}

void TestDataSet::decimalsBecomeFixedPoint() {
    shop->exec(
        "insert into factura_web_detalle (facw_id, fawd_item, fawd_cant, fawd_prunit) "
        "values (1, 1, 0.0001, 12500.5)");
    shop->exec(
        "insert into factura_web_detalle (facw_id, fawd_item, fawd_cant, fawd_prunit) "
        "values (1, 2, -0.004, null)");
    shop->exec(
        "insert into factura_web_detalle (facw_id, fawd_item, fawd_cant, fawd_prunit) "
        "values (1, 3, 12345678901.2345, 0)");
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet set("CSet", connection);
    set.setCommandText("select fawd_cant, fawd_prunit from factura_web_detalle order by fawd_item");
    set.open();
    QCOMPARE(set.recordCount(), 3);
    QCOMPARE(set.text("FAWD_CANT"), QString("0,0001"));
    QCOMPARE(set.decimal("FAWD_CANT")->raw(), 1);
    QCOMPARE(set.text("FAWD_PRUNIT"), QString("12500,5000"));
    set.next();
    QCOMPARE(set.text("FAWD_CANT"), QString("-0,0040"));
    QVERIFY(set.isNull("FAWD_PRUNIT"));
    QCOMPARE(set.text("FAWD_PRUNIT"), QString());  // the driver's toString would say "0"
    QVERIFY(!set.decimal("FAWD_PRUNIT").has_value());
    set.next();
    QCOMPARE(set.text("FAWD_CANT"), QString("12345678901,2345"));
    QCOMPARE(set.text("FAWD_PRUNIT"), QString("0,0000"));
    set.next();
    QVERIFY(set.eof());
}

void TestDataSet::charFlagsAndNulls() {
    shop->exec(
        "insert into factura_web_detalle (facw_id, fawd_item, fawd_pedlisto, fawd_impreso) "
        "values (7, null, 'S', ' ')");
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet set("CSet", connection);
    set.setCommandText(
        "select fawd_pedlisto, fawd_impreso, fawd_item, fawd_hora from factura_web_detalle");
    set.open();
    QCOMPARE(set.text("fawd_pedlisto"), QString("S"));  // not "S   "
    QCOMPARE(set.text("FAWD_IMPRESO"), QString(" "));   // a real blank survives
    QVERIFY(set.isNull("FAWD_ITEM"));
    QCOMPARE(set.integer("FAWD_ITEM"), 0);
    QCOMPARE(set.text("FAWD_ITEM"), QString());
    QCOMPARE(set.text("FAWD_HORA"), QString());
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, set.text("NO_SUCH_COLUMN"));
}

void TestDataSet::accentedTextArrivesUnchanged() {
    const QString text = QString::fromUtf8("Ñoquis con piña, café ¿sí? ¡olé! 5 € pingüino");
    shop->exec("insert into articulo (arti_cod, arti_desc) values ('Ñ1', '" + text + "')");
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet set("CSet", connection);
    set.setCommandText("select arti_cod, arti_desc from articulo where arti_cod = 'Ñ1'");
    set.open();
    QCOMPARE(set.recordCount(), 1);
    QCOMPARE(set.text("ARTI_DESC"), text);
    QCOMPARE(shop->scalar("select octet_length(arti_desc) from articulo").toInt(),
             int(text.size()));  // one byte per character in WIN1252
}

void TestDataSet::fetchErrorsAreRaised() {
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet set("CSet", connection);
    set.setCommandText("select cast('26-12-11' as date) from rdb$database");
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, set.open());
    QVERIFY(!set.isOpen());
    set.setCommandText("select * from no_such_table");
    try {
        set.open();
        QFAIL("a missing table must raise");
    } catch (const data::DatabaseError& error) {
        QVERIFY2(error.message().contains("NO_SUCH_TABLE"), qPrintable(error.message()));
    }
}

void TestDataSet::noTransactionStaysOpen() {
    shop->exec("insert into cocina_funciones values (1, 'COCINA')");
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet set("CColacoc", connection);
    set.setCommandText("SELECT * FROM COCINA_FUNCIONES");
    set.open();
    QCOMPARE(set.recordCount(), 1);
    // An open transaction of a program that runs all day holds back the
    // server's garbage collection: none may be left once the rows are in memory.
    const QVariant open = shop->scalar(
        "select count(*) from mon$transactions t join mon$attachments a "
        "on a.mon$attachment_id = t.mon$attachment_id "
        "where a.mon$system_flag = 0 and t.mon$attachment_id <> current_connection");
    QCOMPARE(open.toInt(), 0);
    connection.close();
    QVERIFY(!connection.isOpen());
    QCOMPARE(set.text("COFU_NOMBRE"), QString("COCINA"));  // rows outlive the connection
}

void TestDataSet::executeIsCommittedAtOnce() {
    shop->exec("insert into factura_web_detalle (facw_id, fawd_impreso) values (3, 'N')");
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet runner("CBorrar", connection);
    runner.setCommandText("UPDATE FACTURA_WEB_DETALLE SET FAWD_IMPRESO = 'S' WHERE FACW_ID = 3");
    runner.execute();
    QCOMPARE(shop->scalar("select fawd_impreso from factura_web_detalle").toString().trimmed(),
             QString("S"));
    QCOMPARE(log.entries(), QStringList{runner.commandText()});
}

void TestDataSet::nestedDetailFollowsMasterRow() {
    shop->exec("insert into formatos (tido_cod, pref_pre, form_nroitems) values (531, 'CO', 3)");
    shop->exec("insert into formatos (tido_cod, pref_pre, form_nroitems) values (531, 'DO', 4)");
    shop->exec(
        "insert into formato_datos (tido_cod, pref_pre, dafo_item, dafo_dato) "
        "values (531, 'CO', 1, 'NUMERO')");
    shop->exec(
        "insert into formato_datos (tido_cod, pref_pre, dafo_item, dafo_dato) "
        "values (531, 'DO', 1, 'FECHA')");
    shop->exec(
        "insert into formato_datos (tido_cod, pref_pre, dafo_item, dafo_dato) "
        "values (531, 'DO', 2, 'NIT')");
    data::SqlConnection connection("Vemtrax", log);
    connect(connection);
    data::DataSet master("CFormato", connection);
    data::DataSet detail("CFormdatos", connection);
    const QString detailStatement =
        "SELECT * FROM FORMATO_DATOS WHERE TIDO_COD = :TIDO_COD AND PREF_PRE = :PREF_PRE";
    master.addDetail(detail, detailStatement);
    master.setCommandText("SELECT * FROM FORMATOS WHERE TIDO_COD = 531 ORDER BY PREF_PRE");
    master.open();
    QCOMPARE(log.entries(), (QStringList{master.commandText(), detailStatement, detailStatement}));
    QCOMPARE(detail.recordCount(), 1);
    QCOMPARE(detail.text("DAFO_DATO"), QString("NUMERO"));
    master.next();
    QCOMPARE(detail.recordCount(), 2);
    QCOMPARE(detail.text("DAFO_DATO"), QString("FECHA"));
    master.close();
    QVERIFY(!detail.isOpen());
}

void TestDataSet::parametersIgnoreCaseAndFailedOpenStaysClosed() {
    data::SqlConnection connection("ConGeneral", log);
    connection.setParam("database", shop->serverFolder() + "/datos/general.fdb");
    connection.setParam("USER_NAME", TestShop::user());
    connection.setParam("password", "wrong-password");
    QCOMPARE(connection.param("Database"), shop->serverFolder() + "/datos/general.fdb");
    try {
        connection.open();
        QFAIL("a wrong password must raise");
    } catch (const data::DatabaseError& error) {
        QVERIFY2(error.message().contains("password", Qt::CaseInsensitive),
                 qPrintable(error.message()));
    }
    QVERIFY(!connection.isOpen());
    connection.setParam("Password", TestShop::password());
    connection.open();
    QVERIFY(connection.isOpen());
}

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
