// The running program printing to a real CUPS queue (cups-pdf) that stops
// taking jobs. Starts the scheduler when none runs and stops it again; adds
// and removes its own queue. Needs root.
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QScopeGuard>
#include <QtTest>

#include "faultkit.h"
#include "testshop.h"

using namespace faults;

namespace {

const QString kQueue = "ImpcFaults";
const QString kCupsd = "/usr/sbin/cupsd";
const QString kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

bool schedulerRunning() {
    QString output;
    run("lpstat", {"-r"}, &output);
    return output.trimmed() == "scheduler is running";
}

int completedJobs() {
    QString output;
    run("lpstat", {"-W", "completed", "-o", kQueue}, &output);
    return int(output.count('\n'));
}

void addOrders(TestShop& shop, int from, int to) {
    for (int id = from; id <= to; ++id) {
        shop.exec(QString("insert into factura_web (facw_id, facw_fecha, pref_pre, facw_numero) "
                          "values (%1, current_date, 'CO', '%1')")
                      .arg(id));
        shop.exec(QString("insert into factura_web_detalle (facw_id, fawd_item, arti_cod, "
                          "fawd_cant, fawd_pedlisto, fawd_impreso, fawd_hora) values (%1, 1, "
                          "'C001', 1, 'S', 'N', time '00:00:00')")
                      .arg(id));
    }
}

int marked(const TestShop& shop) {
    try {
        return int(kitchenFlags(shop).values().count("S"));
    } catch (const std::exception&) {
        return -1;
    }
}

}  // namespace

class TestFaultsCups : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void queueThatTakesNoJobs_data();
    void queueThatTakesNoJobs();
    void schedulerStoppedWhileRunning();

private:
    bool startScheduler();
    void stopScheduler();

    QProcess cupsd_;  // only when this test started the scheduler
    bool ownScheduler_ = false;
    bool queueAdded_ = false;
};

bool TestFaultsCups::startScheduler() {
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.setStandardOutputFile(QDir::temp().filePath("impc-faults-cupsd.log"));
    cupsd_.start(kCupsd, {"-f"});  // in the foreground: its pid is the scheduler's
    return cupsd_.waitForStarted() && waitFor(schedulerRunning, 10000, 50);
}

void TestFaultsCups::stopScheduler() {
    if (cupsd_.state() == QProcess::NotRunning) return;
    cupsd_.terminate();
    if (!cupsd_.waitForFinished(10000)) cupsd_.kill();
    cupsd_.waitForFinished();
}

void TestFaultsCups::initTestCase() {
    if (geteuid() != 0) QSKIP("starting cupsd and adding a queue needs root");
    if (!QFile::exists(kCupsd) || !QFile::exists(kPpd)) QSKIP("cups or cups-pdf is not installed");
    if (!schedulerRunning()) {
        QVERIFY2(startScheduler(), "cupsd did not come up");
        ownScheduler_ = true;
    }
    QString output;
    QVERIFY2(
        run("lpadmin",
            {"-p", kQueue, "-E", "-v", "cups-pdf:/", "-P", kPpd, "-o", "printer-is-shared=false"},
            &output) == 0,
        qPrintable(output));
    queueAdded_ = true;
}

void TestFaultsCups::cleanupTestCase() {
    if (queueAdded_) run("lpadmin", {"-x", kQueue});
    if (ownScheduler_) stopScheduler();
    // cups-pdf's copies of our tickets.
    const QDir made(QDir::home().filePath("PDF"));
    for (const QString& name : made.entryList({"Impresion_comanda_*"}))
        QFile::remove(made.filePath(name));
}

void TestFaultsCups::queueThatTakesNoJobs_data() {
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("resume");
    QTest::newRow("rejecting jobs") << "cupsreject"
                                    << "cupsaccept";
    QTest::newRow("disabled") << "cupsdisable"
                              << "cupsenable";
}

void TestFaultsCups::queueThatTakesNoJobs() {
    // The format's printer refuses or holds the job: the pass ends with an
    // error and the order stays pending until the queue works again.
    QFETCH(QString, stop);
    QFETCH(QString, resume);
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, 2);
    Workstation station(shop.serverFolder());
    station.write("impresoras.cfg", ("COCINA," + kQueue + "\r\n").toUtf8());
    QCOMPARE(run(stop, {kQueue}), 0);
    auto resumed = qScopeGuard([&] { run(resume, {kQueue}); });
    const int jobsBefore = completedJobs();

    Program program(station);
    QVERIFY(program.start(Program::arguments(shop)));
    QVERIFY(waitFor([&] { return program.errors().contains("impcomanda: ") || marked(shop) != 0; },
                    15000));
    QVERIFY2(marked(shop) == 0, "an order was marked while its queue took no jobs");
    QVERIFY2(program.errors().contains(kQueue), qPrintable(program.errors()));
    QTest::qWait(600);
    QCOMPARE(marked(shop), 0);
    QCOMPARE(ticketCount(station.pdfDir()), 0);  // not quietly sent to another printer

    QCOMPARE(run(resume, {kQueue}), 0);
    QVERIFY2(waitFor([&] { return marked(shop) == 2; }, 20000), qPrintable(program.errors()));
    QVERIFY2(waitFor([&] { return completedJobs() - jobsBefore == 2; }, 20000),
             qPrintable(QString::number(completedJobs() - jobsBefore)));
    QVERIFY(program.signalAndWait(SIGTERM, 10000));
    QCOMPARE(program.exitCode(), 0);
}

void TestFaultsCups::schedulerStoppedWhileRunning() {
    // cupsd goes away after the program found its printer: the job is an
    // error, the order stays pending, and prints when the scheduler is back.
    if (!ownScheduler_) QSKIP("cupsd was running before the test; it is not ours to stop");
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, 1);
    Workstation station(shop.serverFolder());
    station.write("impresoras.cfg", ("COCINA," + kQueue + "\r\n").toUtf8());
    Program program(station);
    QVERIFY(program.start(Program::arguments(shop)));
    QVERIFY2(waitFor([&] { return marked(shop) == 1; }, 15000), qPrintable(program.errors()));

    stopScheduler();
    auto restart = qScopeGuard([&] {
        if (cupsd_.state() == QProcess::NotRunning) startScheduler();
    });
    const qsizetype seen = program.errors().size();
    addOrders(shop, 2, 3);
    QVERIFY2(waitFor([&] { return program.errors().mid(seen).contains("impcomanda: "); }, 15000),
             "the job looked printed");
    QTest::qWait(600);
    QCOMPARE(marked(shop), 1);
    QCOMPARE(ticketCount(station.pdfDir()), 0);

    QVERIFY2(startScheduler(), "cupsd did not come back");
    QVERIFY2(waitFor([&] { return marked(shop) == 3; }, 20000), qPrintable(program.errors()));
    QVERIFY(program.signalAndWait(SIGTERM, 10000));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestFaultsCups)
#include "tst_faults_cups.moc"
