#include <QtTest>

#include "app/commandline.h"
#include "app/statements.h"
#include "data/errors.h"

// The exact texts the cycle sends, and the values allowed into them.
class TestStatements : public QObject {
    Q_OBJECT
private slots:
    void texts();
    void markingTimeIsTwoDigit24Hour_data();
    void markingTimeIsTwoDigit24Hour();
    void queueNumber_data();
    void queueNumber();
    void parameters_data();
    void parameters();
};

void TestStatements::texts() {
    QCOMPARE(app::formatStatement("O'K"),
             QString("SELECT * FROM FORMATOS WHERE TIDO_COD = 531 AND PREF_PRE = 'O''K'"));
    QCOMPARE(app::pendingOrdersStatement(QDate(2026, 12, 11), 3),
             QString("SELECT facw_id FROM FACTURA_WEB FW WHERE FW.facw_fecha = '2026-12-11' AND "
                     "EXISTS (SELECT FWD.facw_id FROM factura_web_detalle FWD, ARTICULO A WHERE "
                     "FWD.facw_id = FW.facw_id AND FWD.arti_cod = A.arti_cod AND A.arti_colac = 3 "
                     "AND FWD.fawd_pedlisto = 'S' AND FWD.fawd_impreso = 'N')"));
    QCOMPARE(app::ticketRowsStatement(57, -2), QString("select * from impr_comanda(57, -2)"));
    QCOMPARE(app::markingStatement(QTime(10, 5, 31), 57, 1),
             QString("UPDATE FACTURA_WEB_DETALLE FD SET FAWD_IMPRESO = 'S' WHERE "
                     "SUBSTRING(CAST(FAWD_HORA AS VARCHAR(13)) FROM 1 FOR 7) < '10:05:3' AND "
                     "FAWD_PEDLISTO = 'S' AND FACW_ID = 57 AND exists (SELECT ARTI_COD FROM "
                     "ARTICULO WHERE ARTI_COD = FD.ARTI_COD AND ARTI_COLAC = 1)"));
}

void TestStatements::markingTimeIsTwoDigit24Hour_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<QString>("cut");
    QTest::newRow("morning, 12-hour locale") << "en_US" << QTime(9, 5, 31) << "'09:05:3'";
    QTest::newRow("evening, 12-hour locale") << "en_AU" << QTime(22, 5, 31) << "'22:05:3'";
    QTest::newRow("one-digit hour locale") << "es_CO" << QTime(9, 5, 31) << "'09:05:3'";
}

void TestStatements::markingTimeIsTwoDigit24Hour() {
    QFETCH(QString, locale);
    QFETCH(QTime, now);
    QFETCH(QString, cut);
    QLocale::setDefault(QLocale(locale));
    QVERIFY(app::markingStatement(now, 1, 1).contains("FOR 7) < " + cut + " AND"));
    QLocale::setDefault(QLocale::c());
}

void TestStatements::queueNumber_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("number");
    QTest::newRow("plain") << "7" << true << 7;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("negative") << "-3" << true << -3;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("far too large") << "99999999999" << false << 0;
    QTest::newRow("injection") << "1 OR 1=1" << false << 0;
    QTest::newRow("negative zero") << "-0" << false << 0;
    QTest::newRow("leading blank") << " 7" << false << 0;
    QTest::newRow("no queue chosen") << "" << false << 0;
    QTest::newRow("decimal") << "1.0" << false << 0;
    QTest::newRow("comment") << "1--" << false << 0;
}

void TestStatements::queueNumber() {
    QFETCH(QString, key);
    QFETCH(bool, valid);
    QFETCH(int, number);
    if (valid) {
        QCOMPARE(app::queueNumber(key), number);
    } else {
        QVERIFY_THROWS_EXCEPTION(data::ConversionError, app::queueNumber(key));
    }
}

void TestStatements::parameters_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("parameters");
    QTest::newRow("five") << QStringList{"p", "a", "b", "c", "d", "e"}
                          << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("eight") << QStringList{"p", "1", "2", "3", "4", "5", "6", "7", "8"}
                           << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("empty argument takes no position")
        << QStringList{"p", "1", "2", "", "3", "4", "5", "6"}
        << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("blanks inside one argument")
        << QStringList{"p", "/srv/mi tienda", "u", "c", "01", "CO", "1"}
        << QStringList{"/srv/mi tienda", "u", "c", "01", "CO", "1"};
}

void TestStatements::parameters() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, parameters);
    QCOMPARE(app::unattendedParameters(arguments), parameters);
}

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
