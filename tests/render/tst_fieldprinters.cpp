#include <QtTest>

#include "data/errors.h"
#include "recording_report.h"
#include "render/fieldprinters.h"
#include "render/numberformat.h"

using render::TextWindow;

namespace {

std::optional<qint64> optionalFrom(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
}

// The data layer writes decimals with the locale's separator; the tables use '.'.
QString asDataLayerText(QString value) {
    return value.replace('.', QLocale().decimalPoint());
}

const QVariant kNull;
const QString kNbsp(QChar(0x00A0));

}  // namespace

class FieldPrinters : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void cutText_data();
    void cutText();
    void imprimaCadenaPrintsEvenAnEmptyText();

    void decimalsFrom_data();
    void decimalsFrom();

    void imprimaNumero_data();
    void imprimaNumero();
    void imprimaNumeroWithEmptyValuePrintsNothing();
    void imprimaNumeroRefusesWhatIsNotANumber_data();
    void imprimaNumeroRefusesWhatIsNotANumber();

    void extremeValuesKeepEveryDigit_data();
    void extremeValuesKeepEveryDigit();
};

void FieldPrinters::cutText_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QVariant>("ini");
    QTest::addColumn<QVariant>("length");
    QTest::addColumn<QString>("expected");

    QTest::newRow("window inside") << "HAMBURGUESA" << QVariant(3) << QVariant(4) << "MBUR";
    QTest::newRow("start NULL is the first") << "HAMBURGUESA" << kNull << QVariant(5) << "HAMBU";
    QTest::newRow("start 0 is the first") << "HAMBURGUESA" << QVariant(0) << QVariant(3) << "HAM";
    QTest::newRow("start negative is the first")
        << "HAMBURGUESA" << QVariant(-5) << QVariant(3) << "HAM";
    QTest::newRow("length NULL: whole") << "HAMBURGUESA" << QVariant(5) << kNull << "HAMBURGUESA";
    QTest::newRow("length 0: whole whatever the start")
        << "HAMBURGUESA" << QVariant(40) << QVariant(0) << "HAMBURGUESA";
    QTest::newRow("length past the end") << "PAPITAS" << QVariant(1) << QVariant(20) << "PAPITAS";
    QTest::newRow("tail past the end") << "PAPITAS" << QVariant(6) << QVariant(20) << "AS";
    QTest::newRow("last character") << "PAPITAS" << QVariant(7) << QVariant(5) << "S";
    QTest::newRow("start just past the end") << "PAPITAS" << QVariant(8) << QVariant(1) << "";
    QTest::newRow("start far past the end") << "PAPITAS" << QVariant(9) << QVariant(3) << "";
    QTest::newRow("negative length") << "HAMBURGUESA" << QVariant(1) << QVariant(-1) << "";
    QTest::newRow("empty value") << "" << QVariant(1) << QVariant(5) << "";
    QTest::newRow("ñ is one character")
        << "Ñoquis con piña" << QVariant(12) << QVariant(4) << "piña";
    QTest::newRow("accents are one character each")
        << "Café éxito" << QVariant(1) << QVariant(6) << "Café é";
    QTest::newRow("a character outside the BMP is never split")
        << QString("A") + QString::fromUcs4(U"\U0001F354") + "B" << QVariant(2) << QVariant(1)
        << QString::fromUcs4(U"\U0001F354");
    QTest::newRow("extreme window")
        << "HAMBURGUESA" << QVariant(32767) << QVariant(2147483647) << "";
    QTest::newRow("extreme length")
        << "HAMBURGUESA" << QVariant(-32768) << QVariant(2147483647) << "HAMBURGUESA";
}

void FieldPrinters::cutText() {
    QFETCH(QString, value);
    QFETCH(QVariant, ini);
    QFETCH(QVariant, length);
    QFETCH(QString, expected);
    QCOMPARE(render::cutText(value, TextWindow{optionalFrom(ini), optionalFrom(length)}), expected);
}

void FieldPrinters::imprimaCadenaPrintsEvenAnEmptyText() {
    RecordingReport report;
    render::imprima_cadena(report, "HAMBURGUESA", 1.575, 5.5, TextWindow{3, 4});
    render::imprima_cadena(report, "PAPITAS", 0.21, 0.55, TextWindow{9, 3});
    QCOMPARE(report.calls, QStringList({"PrintAt(1.5750,5.5000,MBUR)", "PrintAt(0.2100,0.5500,)"}));
}

void FieldPrinters::decimalsFrom_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << 2;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("plain") << "3" << 3;
    QTest::newRow("blanks around") << "  4 " << 4;
    QTest::newRow("plus sign") << "+1" << 1;
    QTest::newRow("negative") << "-2" << -2;
    QTest::newRow("mask") << "#,##0.00" << 2;
    QTest::newRow("decimal text") << "2.0" << 2;
    QTest::newRow("hex is not decimal") << "0x10" << 2;
    QTest::newRow("sign alone") << "-" << 2;
    QTest::newRow("inner blank") << "1 2" << 2;
    QTest::newRow("huge saturates") << "99999999999999999999" << std::numeric_limits<int>::max();
}

void FieldPrinters::decimalsFrom() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(render::decimalsFrom(text), expected);
}

void FieldPrinters::imprimaNumero_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("decimals");
    QTest::addColumn<bool>("currency");
    QTest::addColumn<QString>("expected");

    // Rounding: half to even on the last kept digit.
    QTest::newRow("2.5 to units") << "en_US"
                                  << "2.5000"
                                  << "0" << false << "2";
    QTest::newRow("3.5 to units") << "en_US"
                                  << "3.5000"
                                  << "0" << false << "4";
    QTest::newRow("2.125 half down to even") << "en_US"
                                             << "2.1250"
                                             << "2" << false << "2.12";
    QTest::newRow("2.135 half up to even") << "en_US"
                                           << "2.1350"
                                           << "2" << false << "2.14";
    QTest::newRow("just above half rounds up") << "en_US"
                                               << "2.1251"
                                               << "2" << false << "2.13";
    QTest::newRow("negative half to even") << "en_US"
                                           << "-1234567.8915"
                                           << "3" << false << "-1,234,567.892";
    QTest::newRow("negative half to even down") << "en_US"
                                                << "-1234567.8925"
                                                << "3" << false << "-1,234,567.892";
    QTest::newRow("tiny negative becomes a plain zero") << "en_US"
                                                        << "-0.0040"
                                                        << "2" << false << "0.00";
    QTest::newRow("negative half of a cent is zero") << "en_US"
                                                     << "-0.0050"
                                                     << "2" << false << "0.00";
    QTest::newRow("negative that stays negative") << "en_US"
                                                  << "-0.0051"
                                                  << "2" << false << "-0.01";
    // Decimals text.
    QTest::newRow("empty decimals means 2") << "en_US"
                                            << "1234.5000"
                                            << "" << false << "1,234.50";
    QTest::newRow("mask means 2") << "en_US"
                                  << "1234.5000"
                                  << "#,##0.00" << false << "1,234.50";
    QTest::newRow("four decimals") << "en_US"
                                   << "0.0001"
                                   << "4" << false << "0.0001";
    QTest::newRow("more decimals than held are zeros") << "en_US"
                                                       << "2.5000"
                                                       << "6" << false << "2.500000";
    QTest::newRow("at most 18 decimals") << "en_US"
                                         << "1.2345"
                                         << "99" << false << "1.234500000000000000";
    QTest::newRow("negative decimals round to units") << "en_US"
                                                      << "1234.5000"
                                                      << "-1" << false << "1,234";
    QTest::newRow("negative decimals round half to even") << "en_US"
                                                          << "1235.5000"
                                                          << "-3" << false << "1,236";
    // Grouping.
    QTest::newRow("three digits, no group") << "en_US"
                                            << "999.0000"
                                            << "0" << false << "999";
    QTest::newRow("rounding carries into a group") << "en_US"
                                                   << "999.9990"
                                                   << "2" << false << "1,000.00";
    QTest::newRow("millions") << "en_US"
                              << "1234567.0000"
                              << "0" << false << "1,234,567";
    QTest::newRow("es_CO separators") << "es_CO"
                                      << "1234.5000"
                                      << "" << false << "1.234,50";
    QTest::newRow("es_ES groups four digits too") << "es_ES"
                                                  << "1234.5000"
                                                  << "1" << false << "1.234,5";
    // Currency: the locale's symbol and its positive and negative patterns.
    QTest::newRow("en_US currency") << "en_US"
                                    << "1234.5000"
                                    << "2" << true << "$1,234.50";
    QTest::newRow("en_US negative currency") << "en_US"
                                             << "-1234.5000"
                                             << "2" << true << "($1,234.50)";
    QTest::newRow("en_US currency zero has no sign") << "en_US"
                                                     << "-0.0040"
                                                     << "2" << true << "$0.00";
    QTest::newRow("es_CO currency") << "es_CO"
                                    << "25900.0000"
                                    << "0" << true << "$25.900";
    QTest::newRow("es_CO negative currency") << "es_CO"
                                             << "-1234.5000"
                                             << "2" << true << "$-1.234,50";
    QTest::newRow("es_ES currency after the amount") << "es_ES"
                                                     << "1234.5000"
                                                     << "2" << true << "1.234,50" + kNbsp + "€";
    QTest::newRow("es_ES negative currency") << "es_ES"
                                             << "-7.5000"
                                             << "2" << true << "-7,50" + kNbsp + "€";
}

void FieldPrinters::imprimaNumero() {
    QFETCH(QString, locale);
    QFETCH(QString, value);
    QFETCH(QString, decimals);
    QFETCH(bool, currency);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));

    RecordingReport report;
    render::imprima_numero(report, asDataLayerText(value), 2.85, 5.5, currency, decimals);
    QCOMPARE(report.calls, QStringList("PrintRightAt(2.8500,5.5000," + expected + ")"));
}

void FieldPrinters::imprimaNumeroWithEmptyValuePrintsNothing() {
    QLocale::setDefault(QLocale("en_US"));
    RecordingReport report;
    render::imprima_numero(report, "", 1.0, 1.0, false, "2");
    render::imprima_numero(report, "", 1.0, 1.0, true, "2");
    QVERIFY(report.calls.isEmpty());
}

void FieldPrinters::imprimaNumeroRefusesWhatIsNotANumber_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("value");
    QTest::newRow("letters") << "en_US"
                             << "abc";
    QTest::newRow("group separators") << "en_US"
                                      << "1,234.50";
    QTest::newRow("another locale's decimal separator") << "es_CO"
                                                        << "2.5";
    QTest::newRow("more than four decimals") << "en_US"
                                             << "1.23456";
    QTest::newRow("double sign") << "en_US"
                                 << "--1";
    QTest::newRow("blank") << "en_US"
                           << " ";
    QTest::newRow("beyond 64 bits") << "en_US"
                                    << "99999999999999999999";
}

void FieldPrinters::imprimaNumeroRefusesWhatIsNotANumber() {
    QFETCH(QString, locale);
    QFETCH(QString, value);
    QLocale::setDefault(QLocale(locale));
    RecordingReport report;
    try {
        render::imprima_numero(report, value, 1.0, 1.0, false, "2");
        QFAIL("no conversion error");
    } catch (const data::ConversionError& e) {
        QVERIFY2(e.message().contains(value), qPrintable(e.message()));
    }
    QVERIFY(report.calls.isEmpty());
}

void FieldPrinters::extremeValuesKeepEveryDigit_data() {
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    QTest::newRow("largest, all decimals") << kMax << 4 << "922,337,203,685,477.5807";
    QTest::newRow("largest, units") << kMax << 0 << "922,337,203,685,478";
    QTest::newRow("smallest, units") << kMin << 0 << "-922,337,203,685,478";
    QTest::newRow("smallest, 18 decimals")
        << kMin << 18 << "-922,337,203,685,477.580800000000000000";
}

void FieldPrinters::extremeValuesKeepEveryDigit() {
    QFETCH(qint64, raw);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(render::formatNumber(data::Fixed4::fromRaw(raw), decimals, QLocale("en_US")),
             expected);
}

QTEST_GUILESS_MAIN(FieldPrinters)
#include "tst_fieldprinters.moc"
