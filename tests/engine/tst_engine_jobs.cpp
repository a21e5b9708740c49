// Jobs of the Qt engine: printer choice, the status window, cancelling,
// failures, and the files of the built-in PDF printer.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "engine/pdf_file.h"
#include "engine/print_error.h"
#include "engine/status_window.h"
#include "pdf_engine.h"
#include "pdf_probe.h"

using engine::PrintError;
using engine::Report;

namespace {

void threePages(Report& r) {
    r.SetFont("DejaVu Sans", 12);
    r.PrintAt(0.5, 1.0, "UNO");
    r.NewPage();
    r.PrintAt(0.5, 1.0, "DOS");
    r.NewPage();
    r.PrintAt(0.5, 1.0, "TRES");
}

engine::PrinterList::Source systemWith(const QStringList& names, const QString& defaultName) {
    return [=] { return engine::SystemPrinters{names, defaultName}; };
}

}  // namespace

class TestEngineJobs : public QObject {
    Q_OBJECT

private slots:
    void printerList();
    void printerListIsReadOnce();
    void selectPrinter_data();
    void selectPrinter();
    void chosenPrinterStaysForLaterJobs();
    void missingPrinterThrows();
    void statusWindowFollowsPages();
    void cancelPrintsNothing_data();
    void cancelPrintsNothing();
    void callbackErrorPrintsNothing_data();
    void callbackErrorPrintsNothing();
    void misuseIsRefused();
    void eventsRunWhileDrawing();
    void noDialogForThePdfPrinter();
    void sameTitleNeverOverwrites();
    void fileNames_data();
    void fileNames();
    void unusablePdfFolderThrows();
    void defaultPdfFolder();
};

void TestEngineJobs::printerList() {
    engine::QtReportSystem report;
    report.setPrinterSource(systemWith({"Cocina", "PDF", "Barra"}, "Barra"));
    QCOMPARE(report.Printers(), (QStringList{"Cocina", "PDF", "Barra", "PDF"}));

    // Without a running CUPS the system has no printers: only the built-in one.
    engine::QtReportSystem real;
    QCOMPARE(real.Printers().last(), QString("PDF"));
}

void TestEngineJobs::printerListIsReadOnce() {
    int reads = 0;
    engine::QtReportSystem report;
    report.setPrinterSource([&] {
        ++reads;
        return engine::SystemPrinters{{"Cocina"}, "Cocina"};
    });
    report.Printers();
    report.SelectPrinter(-1);
    report.Printers();
    QCOMPARE(reads, 1);
}

void TestEngineJobs::selectPrinter_data() {
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QString>("systemDefault");
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<int>("chosen");

    const QStringList three{"Cocina", "Barra", "PDF"};  // then the built-in PDF at 3
    QTest::newRow("initially the default") << three << "Barra" << QList<int>{} << 1;
    QTest::newRow("an index") << three << "Barra" << QList<int>{0} << 0;
    QTest::newRow("-1 is the default") << three << "Barra" << QList<int>{3, -1} << 1;
    QTest::newRow("below -1 is ignored") << three << "Barra" << QList<int>{0, -2} << 0;
    QTest::newRow("past the end is ignored") << three << "Barra" << QList<int>{0, 4} << 0;
    QTest::newRow("a CUPS queue called PDF is the default") << three << "PDF" << QList<int>{} << 2;
    QTest::newRow("no default: the built-in PDF") << three << "" << QList<int>{0, -1} << 3;
    QTest::newRow("no printers at all") << QStringList{} << "" << QList<int>{-1} << 0;
}

void TestEngineJobs::selectPrinter() {
    QFETCH(QStringList, system);
    QFETCH(QString, systemDefault);
    QFETCH(QList<int>, calls);
    QFETCH(int, chosen);

    engine::QtReportSystem report;
    report.setPrinterSource(systemWith(system, systemDefault));
    for (int index : calls)
        report.SelectPrinter(index);
    QCOMPARE(report.selectedPrinterIndex(), chosen);
}

// The printers the source names do not exist, so only the built-in PDF
// printer can print; a job that reaches "Cocina" fails.
void TestEngineJobs::chosenPrinterStaysForLaterJobs() {
    PdfEngine e;
    e.report.setPrinterSource(systemWith({"Cocina"}, "Cocina"));
    e.report.OnPrint = [](Report& r) { r.PrintAt(0.5, 1.0, "X"); };

    e.report.OnBeforePrint = [](Report& r) { r.SelectPrinter(1); };
    e.report.RunJob();
    e.report.OnBeforePrint = nullptr;
    e.report.RunJob();
    QCOMPARE(e.files().size(), 2);
    QCOMPARE(e.report.selectedPrinterIndex(), 1);
}

void TestEngineJobs::missingPrinterThrows() {
    PdfEngine e;
    e.report.setPrinterSource(systemWith({"Cocina"}, "Cocina"));
    e.report.OnPrint = [](Report& r) { r.PrintAt(0.5, 1.0, "X"); };
    try {
        e.report.RunJob();
        QFAIL("a job for a printer that does not exist printed");
    } catch (const PrintError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains("\"Cocina\""), error.what());
    }
    QVERIFY(e.files().isEmpty());
}

void TestEngineJobs::statusWindowFollowsPages() {
    PdfEngine e;
    QVERIFY(!e.report.statusWindow());
    QStringList seen;
    e.report.OnPrint = [&](Report& r) {
        for (int page = 1; page <= 2; ++page) {
            if (page > 1) r.NewPage();
            const engine::StatusWindow* status = e.report.statusWindow();
            QVERIFY(status && status->isVisible() && !status->isModal());
            seen << status->windowTitle() + ": " + status->statusText() + " / " +
                        status->cancelButton()->text();
        }
    };
    e.report.RunJob();
    QCOMPARE(seen, (QStringList{"Estado: Generating page 1 / Cancel",
                                "Estado: Generating page 2 / Cancel"}));
    QVERIFY(!e.report.statusWindow());
    QCOMPARE(pdfprobe::pageCount(e.report.lastPdfFile()), 2);
}

void TestEngineJobs::cancelPrintsNothing_data() {
    QTest::addColumn<int>("cancelAtPage");
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("Cancel on page 1") << 1 << false;
    QTest::newRow("Cancel on page 3") << 3 << false;
    QTest::newRow("close box on page 2") << 2 << true;
}

void TestEngineJobs::cancelPrintsNothing() {
    QFETCH(int, cancelAtPage);
    QFETCH(bool, byCloseBox);

    PdfEngine e;
    const auto pressOnce =
        connect(&e.report, &engine::QtReportSystem::pageStarted, this, [&](int page) {
            if (page != cancelAtPage) return;
            engine::StatusWindow* status = e.report.statusWindow();
            byCloseBox ? (void)status->close()
                       : QTest::mouseClick(status->cancelButton(), Qt::LeftButton);
        });
    bool drewToTheEnd = false;
    e.report.OnPrint = [&](Report& r) {
        threePages(r);
        drewToTheEnd = true;
    };
    e.report.RunJob();
    QVERIFY(drewToTheEnd);  // the callback ends as usual, its drawing goes nowhere
    QVERIFY(e.files().isEmpty());
    QVERIFY(e.report.lastPdfFile().isEmpty());

    // The next job prints again.
    disconnect(pressOnce);
    QVERIFY(!e.print([](Report& r) { r.PrintAt(0.5, 1.0, "OTRA"); }).isEmpty());
}

void TestEngineJobs::callbackErrorPrintsNothing_data() {
    QTest::addColumn<bool>("inPreparation");
    QTest::addColumn<bool>("afterNewPage");
    QTest::newRow("OnBeforePrint throws") << true << false;
    QTest::newRow("OnPrint throws on page 1") << false << false;
    QTest::newRow("OnPrint throws on page 2") << false << true;
}

void TestEngineJobs::callbackErrorPrintsNothing() {
    QFETCH(bool, inPreparation);
    QFETCH(bool, afterNewPage);

    struct TicketError : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    PdfEngine e;
    e.report.OnBeforePrint = [&](Report& r) {
        r.SetTitle("Impresion comanda 57");
        if (inPreparation) throw TicketError("sin formato");
    };
    e.report.OnPrint = [&](Report& r) {
        r.PrintAt(0.5, 1.0, "UNO");
        if (afterNewPage) r.NewPage();
        throw TicketError("sin formato");
    };
    QVERIFY_THROWS_EXCEPTION(TicketError, e.report.RunJob());
    QVERIFY(e.files().isEmpty());
    QVERIFY(!e.report.statusWindow());
}

void TestEngineJobs::misuseIsRefused() {
    PdfEngine e;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, e.report.PrintAt(0.5, 1.0, "fuera"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, e.report.SetTitle("fuera"));
    e.report.OnPrint = [](Report& r) { r.SetTitle("tarde"); };
    QVERIFY_THROWS_EXCEPTION(std::logic_error, e.report.RunJob());
    e.report.OnPrint = [&](Report&) { e.report.RunJob(); };  // a second job inside the first
    QVERIFY_THROWS_EXCEPTION(std::logic_error, e.report.RunJob());
    QVERIFY(e.files().isEmpty());
}

void TestEngineJobs::eventsRunWhileDrawing() {
    PdfEngine e;
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    e.report.OnPrint = [&](Report& r) {
        timer.start(0);
        for (int i = 0; i < 5; ++i)
            r.PrintAt(0.5, 1.0 + i * 0.2, "linea");
        timer.stop();
    };
    e.report.RunJob();
    QVERIFY(ticks >= 4);
}

void TestEngineJobs::noDialogForThePdfPrinter() {
    PdfEngine e;
    e.report.SetAllowSetup(true);
    QStringList dialogs;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogs << modal->metaObject()->className();
            modal->close();
        }
    });
    watcher.start(20);
    QVERIFY(!e.print([](Report& r) { r.PrintAt(0.5, 1.0, "X"); }).isEmpty());
    QVERIFY(dialogs.isEmpty());
}

void TestEngineJobs::sameTitleNeverOverwrites() {
    PdfEngine e;
    const QString title = "Impresion comanda 57";
    const QStringList texts{"PRIMERA", "SEGUNDA", "TERCERA"};
    QStringList written;
    for (const QString& text : texts) {
        written << QFileInfo(
                       e.print([&](Report& r) { r.PrintAt(0.5, 1.0, text); }, 3.15, 11, title))
                       .fileName();
    }
    QCOMPARE(written, (QStringList{"Impresion comanda 57.pdf", "Impresion comanda 57 (2).pdf",
                                   "Impresion comanda 57 (3).pdf"}));
    QStringList expected = written;
    expected.sort();
    QCOMPARE(e.files(), expected);
    for (int i = 0; i < texts.size(); ++i) {
        QCOMPARE(pdfprobe::word(QDir(e.folder.path()).filePath(written[i]), texts[i]).page, 1);
    }
}

void TestEngineJobs::fileNames_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << "Impresion comanda 57" << 1 << "Impresion comanda 57.pdf";
    QTest::newRow("second") << "Impresion comanda 57" << 2 << "Impresion comanda 57 (2).pdf";
    QTest::newRow("separators") << "a/b\\c:d" << 1 << "a_b_c_d.pdf";
    QTest::newRow("no title") << "" << 1 << "Sin titulo.pdf";
    QTest::newRow("Spanish letters stay") << "Comanda Ñandú" << 1 << "Comanda Ñandú.pdf";
}

void TestEngineJobs::fileNames() {
    QFETCH(QString, title);
    QFETCH(int, n);
    QFETCH(QString, name);
    QCOMPARE(engine::pdfFileName(title, n), name);
}

// Root may write anywhere, so the folder is made impossible instead: its
// parent is a plain file.
void TestEngineJobs::unusablePdfFolderThrows() {
    PdfEngine e;
    const QString plainFile = e.folder.filePath("ocupado");
    QFile file(plainFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString folder = plainFile + "/comandas";
    e.report.setPdfFolder(folder);
    try {
        e.print([](Report& r) { r.PrintAt(0.5, 1.0, "X"); });
        QFAIL("printed into a folder that cannot exist");
    } catch (const PrintError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(folder), error.what());
    }
    QCOMPARE(e.files(), QStringList{"ocupado"});
}

void TestEngineJobs::defaultPdfFolder() {
    engine::QtReportSystem report;
    qputenv("IMPCOMANDA_PDF_DIR", "/srv/tickets");
    QCOMPARE(report.pdfFolder(), QString("/srv/tickets"));
    qunsetenv("IMPCOMANDA_PDF_DIR");
    QCOMPARE(report.pdfFolder(), QDir::current().absoluteFilePath("comandas"));
    report.setPdfFolder("/var/comandas");
    QCOMPARE(report.pdfFolder(), QString("/var/comandas"));
}

QTEST_MAIN(TestEngineJobs)
#include "tst_engine_jobs.moc"
