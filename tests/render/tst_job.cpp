#include <QtTest>

#include "message_recorder.h"
#include "ticketshop.h"

// Job preparation against a real company database: the printer chosen through
// impresoras.cfg, the paper of the format, the job's title, and the scale.
class Job : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void preparation_data();
    void preparation();
    void scaleComesFromThePage_data();
    void scaleComesFromThePage();

private:
    std::unique_ptr<TicketShop> t;
};

void Job::init() {
    QLocale::setDefault(QLocale("en_US"));
    t = std::make_unique<TicketShop>();
    t->order();
    t->item("HAMB");
}

void Job::cleanup() {
    t.reset();
    QLocale::setDefault(QLocale::c());
}

void Job::preparation_data() {
    QTest::addColumn<QVariant>("impre");
    QTest::addColumn<QVariant>("printerMap");  // null: no impresoras.cfg
    QTest::addColumn<QStringList>("printers");
    QTest::addColumn<QVariant>("papelan");
    QTest::addColumn<QVariant>("papelal");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("fileMessage");

    const QStringList ab{"Printer A", "Printer B"};
    const QVariant noFile;
    const QVariant null;
    const QString title = "SetTitle(Impresion comanda 57)";

    QTest::newRow("mapped and installed")
        << QVariant("COCINA") << QVariant(QByteArray("BAR,Printer A\r\nCOCINA,Printer B\r\n")) << ab
        << QVariant(3.15) << QVariant(3.0)
        << QStringList{"SelectPrinter(1)", "SetPaperSize(3.1500,3.0000)", title} << false;
    QTest::newRow("mapped name in other letter case")
        << QVariant("COCINA") << QVariant(QByteArray("COCINA,printer b")) << ab << null << null
        << QStringList{"SelectPrinter(1)", title} << false;
    QTest::newRow("first installed name that matches")
        << QVariant("COCINA") << QVariant(QByteArray("COCINA,cocina"))
        << QStringList{"PDF", "Cocina", "COCINA"} << null << null
        << QStringList{"SelectPrinter(1)", title} << false;
    QTest::newRow("name not installed: default printer")
        << QVariant("COCINA") << QVariant(QByteArray("COCINA, Printer B")) << ab << null << null
        << QStringList{"SelectPrinter(-1)", title} << false;
    QTest::newRow("key not in the file")
        << QVariant("COCINA") << QVariant(QByteArray("BAR,Printer A\n")) << ab << null << null
        << QStringList{title} << false;
    QTest::newRow("key in other letter case")
        << QVariant("cocina") << QVariant(QByteArray("COCINA,Printer B\n")) << ab << null << null
        << QStringList{title} << false;
    QTest::newRow("empty key: file not opened")
        << QVariant("") << noFile << ab << null << null << QStringList{title} << false;
    QTest::newRow("NULL key: file not opened")
        << null << noFile << ab << null << null << QStringList{title} << false;
    QTest::newRow("file missing") << QVariant("COCINA") << noFile << ab << QVariant(3.15)
                                  << QVariant(11.0)
                                  << QStringList{"SetPaperSize(3.1500,11.0000)", title} << true;
    QTest::newRow("height missing: paper untouched")
        << null << noFile << ab << QVariant(3.15) << null << QStringList{title} << false;
    QTest::newRow("width missing: paper untouched")
        << null << noFile << ab << null << QVariant(3.0) << QStringList{title} << false;
    QTest::newRow("zero side still asked for")
        << null << noFile << ab << QVariant(0.0) << QVariant(3.0)
        << QStringList{"SetPaperSize(0.0000,3.0000)", title} << false;
}

void Job::preparation() {
    QFETCH(QVariant, impre);
    QFETCH(QVariant, printerMap);
    QFETCH(QStringList, printers);
    QFETCH(QVariant, papelan);
    QFETCH(QVariant, papelal);
    QFETCH(QStringList, calls);
    QFETCH(bool, fileMessage);

    t->format({{"FORM_IMPRE", impre}, {"FORM_PAPELAN", papelan}, {"FORM_PAPELAL", papelal}});
    if (!printerMap.isNull()) t->printerMap(printerMap.toByteArray());
    t->report.printers = printers;
    MessageRecorder messages;
    t->runJob();

    QCOMPARE(t->report.only({"SelectPrinter", "SetPaperSize", "SetTitle"}), calls);
    // Preparation comes before anything is drawn.
    QCOMPARE(t->report.calls.mid(1, calls.size()), calls);
    QCOMPARE(messages.messages, fileMessage
                                    ? QStringList{"Error abriendo el archivo" + t->printerMapPath()}
                                    : QStringList());
}

void Job::scaleComesFromThePage_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<qint64>("escalaX");
    QTest::addColumn<qint64>("escalaY");
    QTest::addColumn<QString>("centre");
    QTest::newRow("80 mm roll") << 3.15 << 11.0 << qint64(21) << qint64(55)
                                << "PrintAt(1.5750,5.5000,X)";
    QTest::newRow("narrow roll") << 2.83 << 11.0 << qint64(19) << qint64(55)
                                 << "PrintAt(1.4250,5.5000,X)";
    QTest::newRow("letter") << 8.5 << 11.0 << qint64(57) << qint64(55)
                            << "PrintAt(4.2750,5.5000,X)";
}

void Job::scaleComesFromThePage() {
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(qint64, escalaX);
    QFETCH(qint64, escalaY);
    QFETCH(QString, centre);
    t->format();
    t->element({{"FOLI_TIPO", "T"}, {"FOLI_POSX", 750}, {"FOLI_POSY", 1000}, {"FOLI_CADENA", "X"}});
    t->report.pageWidth = width;
    t->report.pageHeight = height;
    t->runJob();
    QCOMPARE(t->printer.escala_x().raw(), escalaX);
    QCOMPARE(t->printer.escala_y().raw(), escalaY);
    QCOMPARE(t->report.only({"PrintAt"}), QStringList{centre});
}

QTEST_GUILESS_MAIN(Job)
#include "tst_job.moc"
