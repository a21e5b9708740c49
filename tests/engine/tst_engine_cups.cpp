// A ticket printed through a real CUPS queue (cups-pdf). Starts the scheduler
// when it is not running and stops it again; needs root for both.
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include "engine/print_error.h"
#include "engine/qt_report_system.h"
#include "pdf_probe.h"

using engine::Report;

namespace {

const QString kQueue = "ImpcTest";
const QString kCupsd = "/usr/sbin/cupsd";
const QString kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

struct Result {
    int exitCode = -1;
    QString output;
};

Result run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

// lpstat -r exits with 0 either way; only its words tell.
bool schedulerRunning() {
    return run("lpstat", {"-r"}).output.trimmed() == "scheduler is running";
}

template <typename Condition>
bool waitFor(Condition done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QTest::qWait(100);
    }
    return true;
}

// Every job CUPS remembers for the queue, finished ones included.
int jobsSeen() {
    return run("lpstat", {"-W", "all", "-o", kQueue}).output.count('\n');
}

bool queueEmpty() {
    return run("lpstat", {"-o", kQueue}).output.trimmed().isEmpty();
}

// cups-pdf writes into ~/PDF of the user who submitted the job, from passwd.
QString cupsPdfFolder() {
    return QDir(QString::fromLocal8Bit(getpwuid(getuid())->pw_dir)).filePath("PDF");
}

}  // namespace

class TestEngineCups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void printsThroughTheQueue();
    void refusedJobThrows();
    void setupDialogCanCancelTheJob();

private:
    // A job on the test queue, found by its index in the engine's list.
    void printOnQueue(engine::QtReportSystem& report, const QString& title, const QString& text);

    QProcess cupsd_;  // only when this test started the scheduler
    bool queueAdded_ = false;
};

void TestEngineCups::initTestCase() {
    if (geteuid() != 0) QSKIP("starting cupsd and adding a queue needs root");
    if (!QFile::exists(kCupsd)) QSKIP("cupsd is not installed");
    if (!QFile::exists(kPpd)) QSKIP("cups-pdf is not installed");

    if (!schedulerRunning()) {
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.setStandardOutputFile(QDir::temp().filePath("impc-cupsd.log"));
        cupsd_.start(kCupsd, {"-f"});  // stays in the foreground: its pid is the scheduler's
        QVERIFY2(cupsd_.waitForStarted(), qPrintable(cupsd_.errorString()));
        QVERIFY2(waitFor(schedulerRunning, 10000), "cupsd did not come up");
    }
    const Result added = run("lpadmin", {"-p", kQueue, "-E", "-v", "cups-pdf:/", "-P", kPpd, "-o",
                                         "printer-is-shared=false"});
    QVERIFY2(added.exitCode == 0, qPrintable(added.output));
    queueAdded_ = true;
}

void TestEngineCups::cleanupTestCase() {
    if (queueAdded_) run("lpadmin", {"-x", kQueue});
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) cupsd_.kill();
        cupsd_.waitForFinished();
    }
}

void TestEngineCups::printOnQueue(engine::QtReportSystem& report, const QString& title,
                                  const QString& text) {
    const int index = static_cast<int>(report.Printers().indexOf(kQueue));
    QVERIFY2(index >= 0, qPrintable(report.Printers().join(", ")));
    report.OnBeforePrint = [=](Report& r) {
        r.SelectPrinter(index);
        r.SetPaperSize(3.15, 11);
        r.SetTitle(title);
    };
    report.OnPrint = [=](Report& r) {
        r.SetFont("DejaVu Sans", 12);
        r.PrintAt(1.0, 2.0, text);
        r.MoveTo(0.5, 2.5);
        r.LineTo(2.5, 2.5);
    };
    report.RunJob();
}

void TestEngineCups::printsThroughTheQueue() {
    const QString number = QString::number(QDateTime::currentMSecsSinceEpoch() % 100000000);
    const QString title = "Impresion comanda " + number;
    const QString text = "COMANDA" + number;
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);

    engine::QtReportSystem report;
    report.SetAllowSetup(false);
    printOnQueue(report, title, text);
    QVERIFY(report.lastPdfFile().isEmpty());  // nothing of it went to the PDF folder
    QVERIFY2(waitFor(queueEmpty, 30000), "the job stayed in the queue");

    // cups-pdf's own file carries the title in its name...
    const QStringList made =
        QDir(cupsPdfFolder()).entryList({"*Impresion_comanda_" + number + "*.pdf"});
    QCOMPARE(made.size(), 1);
    const QString made1 = QDir(cupsPdfFolder()).filePath(made.first());
    const auto removeMade = qScopeGuard([&] { QFile::remove(made1); });
    const QSizeF page = pdfprobe::pageSize(made1);
    QVERIFY2(qAbs(page.width() - 226.8) < 1.5 && qAbs(page.height() - 792) < 1.5,
             qPrintable(QString("%1 x %2").arg(page.width()).arg(page.height())));

    // ...but re-renders the text in Type 3 glyphs; the spooled original is
    // what Qt drew, exactly.
    bool found = false;
    const QDir spool("/var/spool/cups");
    for (const QFileInfo& file : spool.entryInfoList({"d*-001"}, QDir::Files)) {
        if (file.lastModified() < started) continue;
        const auto word = pdfprobe::word(file.filePath(), text);
        if (word.page != 1) continue;
        found = true;
        QVERIFY(qAbs(word.xMin - 72) < 0.05);
        QVERIFY(qAbs(pdfprobe::dejaVuBaseline(word) - 144) < 0.1);
    }
    QVERIFY2(found, "no spooled job holds the ticket's text");
}

void TestEngineCups::refusedJobThrows() {
    QCOMPARE(run("cupsreject", {kQueue}).exitCode, 0);
    const int before = jobsSeen();
    engine::QtReportSystem report;
    report.SetAllowSetup(false);
    try {
        printOnQueue(report, "Impresion comanda rechazada", "RECHAZADA");
        QFAIL("a queue that rejects jobs looked like it printed");
    } catch (const engine::PrintError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(kQueue), error.what());
    }
    run("cupsaccept", {kQueue});
    QCOMPARE(jobsSeen(), before);
}

void TestEngineCups::setupDialogCanCancelTheJob() {
    const int before = jobsSeen();
    engine::QtReportSystem report;
    report.SetAllowSetup(true);
    QString dialogShown;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            dialogShown = dialog->printer()->printerName();
            dialog->reject();
        }
    });
    watcher.start(50);
    printOnQueue(report, "Impresion comanda cancelada", "CANCELADA");
    QCOMPARE(dialogShown, kQueue);
    QCOMPARE(jobsSeen(), before);
}

QTEST_MAIN(TestEngineCups)
#include "tst_engine_cups.moc"
