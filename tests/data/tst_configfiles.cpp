#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "data/configfiles.h"
#include "data/fixed4.h"
#include "data/tfdm.h"
#include "message_recorder.h"

// The two files of the installation directory, the installation directory
// itself, and the fixed-point numbers the data layer hands out.
class TestConfigFiles : public QObject {
    Q_OBJECT
private slots:
    void serverList_data();
    void serverList();
    void longServerLineStaysWhole();
    void printerMap_data();
    void printerMap();
    void fixedPoint_data();
    void fixedPoint();
    void installationDirectory();
    void missingPrinterFile();
};

void TestConfigFiles::serverList_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
    QTest::newRow("last line without end is kept") << QByteArray("A\r\nB") << QStringList{"A", "B"};
    QTest::newRow("LF and empty entry") << QByteArray("A\n\nB\n") << QStringList{"A", "", "B"};
    QTest::newRow("leading empty entry") << QByteArray("\r\nX\r\n") << QStringList{"", "X"};
    QTest::newRow("lone CR ends a line, keeps next byte")
        << QByteArray("A\rB\r\n") << QStringList{"A", "B"};
    QTest::newRow("repeated entries stay") << QByteArray("A\nA\n") << QStringList{"A", "A"};
    QTest::newRow("blanks are not trimmed") << QByteArray(" A \n") << QStringList{" A "};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("text up to a NUL") << QByteArray("ab\0cd\n", 6) << QStringList{"ab"};
    QTest::newRow("UTF-8") << QByteArray("c:\\compañía\n") << QStringList{"c:\\compañía"};
    QTest::newRow("Windows code page") << QByteArray(
                                              "c:\\compa\xf1"
                                              "\xed"
                                              "a\r\n")
                                       << QStringList{"c:\\compañía"};
}

void TestConfigFiles::serverList() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QCOMPARE(data::parseServerList(bytes), entries);
}

void TestConfigFiles::longServerLineStaysWhole() {
    const QByteArray exact(255, 'x');
    const QByteArray longer(400, 'y');
    QCOMPARE(data::parseServerList(exact + "\r\n" + longer + "\r\nz\r\n"),
             (QStringList{QString(exact), QString(longer), "z"}));
}

void TestConfigFiles::printerMap_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("printer");
    QTest::newRow("second line") << QByteArray("BAR,Printer A\r\nCOCINA,Printer B\r\n") << "COCINA"
                                 << "Printer B";
    QTest::newRow("empty name goes on searching")
        << QByteArray("COCINA,\r\nCOCINA,Printer B\r\n") << "COCINA"
        << "Printer B";
    QTest::newRow("leading blank kept") << QByteArray("COCINA, Printer B\n") << "COCINA"
                                        << " Printer B";
    QTest::newRow("case-sensitive key") << QByteArray("COCINA,Printer B\n") << "cocina"
                                        << "";
    QTest::newRow("key inside a longer key") << QByteArray("MINIBAR,Printer C\n") << "BAR"
                                             << "Printer C";
    QTest::newRow("further comma belongs to the name")
        << QByteArray("COCINA,HP, piso 2\n") << "COCINA"
        << "HP, piso 2";
    QTest::newRow("last line without end") << QByteArray("X,a\nCOCINA,Zebra") << "COCINA"
                                           << "Zebra";
    QTest::newRow("lone CR left out") << QByteArray("COCINA,Ze\rbra\r\n") << "COCINA"
                                      << "Zebra";
    QTest::newRow("no file content") << QByteArray() << "COCINA"
                                     << "";
}

void TestConfigFiles::printerMap() {
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QString, printer);
    QCOMPARE(data::findPrinterName(file, key), printer);
}

void TestConfigFiles::fixedPoint_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("whole") << "12" << true << qint64(120000);
    QTest::newRow("decimals") << "2,5" << true << qint64(25000);
    QTest::newRow("negative") << "-0,004" << true << qint64(-40);
    QTest::newRow("four decimals") << "0,0001" << true << qint64(1);
    QTest::newRow("largest") << "922337203685476,9999" << true << qint64(9223372036854769999);
    QTest::newRow("too large") << "922337203685477,9999" << false << qint64(0);
    QTest::newRow("five decimals") << "1,00001" << false << qint64(0);
    QTest::newRow("point is not the separator") << "1.5" << false << qint64(0);
    QTest::newRow("group separator") << "1.234,5" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("sign only") << "-" << false << qint64(0);
    QTest::newRow("blank") << " 1" << false << qint64(0);
    QTest::newRow("letters") << "1e5" << false << qint64(0);
}

void TestConfigFiles::fixedPoint() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, raw);
    const auto parsed = data::Fixed4::parse(text, ',');
    QCOMPARE(parsed.has_value(), valid);
    if (!valid) return;
    QCOMPARE(parsed->raw(), raw);
    QCOMPARE(data::Fixed4::parse(parsed->toString(','), ',')->raw(), raw);
}

void TestConfigFiles::installationDirectory() {
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settingsDir.path());
    data::Tfdm fdm;
    {
        MessageRecorder recorder;
        QCOMPARE(fdm.diraplicacion(), QString());
        QCOMPARE(recorder.messages,
                 QStringList{"No se encontró la Clave "
                             "HKEY_LOCAL_MACHINE\\Software\\Quolid\\Vemtrax2022\\Directorio"});
    }
    QDir().mkpath(settingsDir.path() + "/Quolid");
    QFile conf(settingsDir.path() + "/Quolid/Vemtrax2022.conf");
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("[General]\nDirectorio=/opt/vemtrax\n");
    conf.close();
    MessageRecorder recorder;
    QCOMPARE(fdm.diraplicacion(), QString("/opt/vemtrax"));
    QVERIFY(recorder.messages.isEmpty());
}

void TestConfigFiles::missingPrinterFile() {
    QTemporaryDir settingsDir;
    QTemporaryDir installDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settingsDir.path());
    QSettings(QSettings::NativeFormat, QSettings::SystemScope, "Quolid", "Vemtrax2022")
        .setValue("Directorio", installDir.path());
    data::Tfdm fdm;
    MessageRecorder recorder;
    QCOMPARE(fdm.nombre_impresora("COCINA"), QString());
    QCOMPARE(recorder.messages,
             QStringList{"Error abriendo el archivo" + installDir.path() + "/impresoras.cfg"});

    QFile map(installDir.path() + "/impresoras.cfg");
    QVERIFY(map.open(QIODevice::WriteOnly));
    map.write("BAR,Barra\r\nCOCINA,Cocina caliente\r\n");
    map.close();
    QCOMPARE(fdm.nombre_impresora("COCINA"), QString("Cocina caliente"));
    QCOMPARE(recorder.messages.size(), 1);
}

QTEST_GUILESS_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
