// The built program run as a separate process, as a shop runs it unattended,
// under the faults that must lose no order: killed, stopped by a signal, a
// PDF folder it cannot write.
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include "faultkit.h"
#include "testshop.h"

using namespace faults;

namespace {

constexpr int kBacklog = 50;

QString pdfText(const QString& file) {
    QString text;
    if (run("pdftotext", {"-layout", file, "-"}, &text) != 0) return QString();
    return text;
}

bool pdfIsComplete(const QString& file) {
    return run("pdfinfo", {file}) == 0;
}

// Fails the test with the offending orders when a ticket went missing or an
// order was marked without one.
QString lostOrders(const QMap<int, QString>& flags, const QMap<int, int>& tickets) {
    QStringList problems;
    for (auto it = flags.begin(); it != flags.end(); ++it) {
        if (it.value() == "mixed") problems << QString("order %1 half marked").arg(it.key());
        if (it.value() == "S" && tickets.value(it.key()) == 0)
            problems << QString("order %1 marked without a ticket").arg(it.key());
    }
    return problems.join("; ");
}

int ordersPrintedTwice(const QMap<int, int>& tickets) {
    int twice = 0;
    for (int n : tickets)
        if (n > 1) ++twice;
    return twice;
}

bool allMarked(const TestShop& shop, int count) {
    try {
        const auto flags = kitchenFlags(shop);
        return flags.size() == count && flags.values().count("S") == count;
    } catch (const std::exception&) {
        return false;
    }
}

// A folder mounted for the test and unmounted when the guard goes.
bool mountTmpfs(const QString& folder, const QString& options) {
    QDir().mkpath(folder);
    return run("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder}) == 0;
}

}  // namespace

class TestFaultsProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void unattendedStartPrintsTheDemoShop();
    void programKilledMidBacklogLosesNothing();
    void stopSignalWhilePrinting_data();
    void stopSignalWhilePrinting();
    void pdfFolderFailureKeepsOrdersPending_data();
    void pdfFolderFailureKeepsOrdersPending();
};

void TestFaultsProgram::initTestCase() {
    QVERIFY2(QFile::exists(programPath()), qPrintable(programPath()));
}

void TestFaultsProgram::unattendedStartPrintsTheDemoShop() {
    // Six arguments are enough: the program logs in, prints today's kitchen
    // tickets as PDFs, marks exactly their items and hides the password.
    TestShop shop(TestShop::Content::Demo);
    bringDemoToToday(shop);
    Workstation station(shop.serverFolder());
    Program program(station);
    QVERIFY(program.start(Program::arguments(shop)));

    QVERIFY2(waitFor([&] { return ticketCount(station.pdfDir()) >= 3; }, 20000),
             qPrintable(program.errors()));
    QByteArray commandLine;
    {
        QFile cmdline(QString("/proc/%1/cmdline").arg(program.pid()));
        QVERIFY(cmdline.open(QIODevice::ReadOnly));
        commandLine = cmdline.readAll();
    }
    QVERIFY2(!commandLine.contains(TestShop::password().toUtf8()), commandLine.constData());
    QVERIFY(commandLine.contains(shop.serverFolder().toUtf8()));

    QTest::qWait(1000);  // three more ticks: nothing is printed again
    QCOMPARE(station.tickets(), (QMap<int, int>{{1001, 1}, {1003, 1}, {1005, 1}}));
    const QDir tickets(station.pdfDir());
    const QString noquis = pdfText(tickets.filePath("Impresion comanda 1003.pdf"));
    QVERIFY2(noquis.contains("Chuletón a la parrilla") && noquis.contains("Mesa 9 - Sr. Ibáñez"),
             qPrintable(noquis));
    const QString birthday = pdfText(tickets.filePath("Impresion comanda 1005.pdf"));
    QVERIFY2(birthday.contains("Croquetas de jamón ibérico") && birthday.contains("Crème brûlée") &&
                 birthday.contains('\f'),
             qPrintable(birthday));          // thirteen lines: two pages
    QVERIFY(!birthday.contains("Sangría"));  // the bar's

    const auto printed = query(shop,
                               "select facw_id, fawd_item, fawd_impreso from factura_web_detalle "
                               "where facw_id in (1001, 1003, 1005) order by 1, 2");
    QStringList marks;
    for (const QVariantList& row : printed)
        marks << QString("%1/%2:%3")
                     .arg(row[0].toInt())
                     .arg(row[1].toInt())
                     .arg(row[2].toString().trimmed());
    QCOMPARE(marks.join(' '),
             QString("1001/1:S 1001/2:S 1001/3:N 1001/4:N 1001/5:N 1003/1:S 1003/2:S 1003/3:N "
                     "1005/1:S 1005/2:S 1005/3:S 1005/4:S 1005/5:S 1005/6:S 1005/7:S 1005/8:S "
                     "1005/9:S 1005/10:S 1005/11:S 1005/12:S 1005/13:S 1005/14:N 1005/15:N"));

    QVERIFY(program.signalAndWait(SIGTERM, 10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(!program.errors().contains("impcomanda:"), qPrintable(program.errors()));
}

void TestFaultsProgram::programKilledMidBacklogLosesNothing() {
    // SIGKILL in the middle of a backlog and a new start: every order gets its
    // ticket, none is marked without one, at most the one in flight twice.
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, kBacklog);
    Workstation station(shop.serverFolder());
    {
        Program first(station);
        QVERIFY(first.start(Program::arguments(shop)));
        QVERIFY2(waitFor([&] { return ticketCount(station.pdfDir()) >= 3; }, 20000, 2),
                 qPrintable(first.errors()));
        QVERIFY(first.signalAndWait(SIGKILL, 5000));
    }
    const int printedBefore = ticketCount(station.pdfDir());
    QVERIFY2(printedBefore < kBacklog, "the pass ended before the kill; nothing was proved");
    QCOMPARE(lostOrders(kitchenFlags(shop), station.tickets()), QString());

    Program second(station);
    QVERIFY(second.start(Program::arguments(shop)));
    QVERIFY2(waitFor([&] { return allMarked(shop, kBacklog); }, 30000),
             qPrintable(second.errors()));
    const auto tickets = station.tickets();
    QCOMPARE(tickets.size(), kBacklog);
    QCOMPARE(lostOrders(kitchenFlags(shop), tickets), QString());
    QVERIFY2(ordersPrintedTwice(tickets) <= 1,
             qPrintable(QString::number(ordersPrintedTwice(tickets))));
    QVERIFY(second.signalAndWait(SIGTERM, 10000));
    QCOMPARE(second.exitCode(), 0);
}

void TestFaultsProgram::stopSignalWhilePrinting_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestFaultsProgram::stopSignalWhilePrinting() {
    // A stop signal mid-backlog ends the program with 0 after the order in
    // hand: what is marked has its ticket, what is not has none, and the next
    // start prints the rest once.
    QFETCH(int, signal);
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, kBacklog);
    Workstation station(shop.serverFolder());
    {
        Program first(station);
        QVERIFY(first.start(Program::arguments(shop)));
        QVERIFY2(waitFor([&] { return ticketCount(station.pdfDir()) >= 2; }, 20000, 2),
                 qPrintable(first.errors()));
        QVERIFY2(first.signalAndWait(signal, 5000), "the program did not stop within 5 s");
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY2(!first.errors().contains("impcomanda:"), qPrintable(first.errors()));
    }
    const auto flags = kitchenFlags(shop);
    const auto tickets = station.tickets();
    QVERIFY2(flags.values().count("N") > 0, "the pass ended before the signal; nothing was proved");
    for (auto it = flags.begin(); it != flags.end(); ++it) {
        const int expected = it.value() == "S" ? 1 : 0;
        QVERIFY2(tickets.value(it.key()) == expected,
                 qPrintable(QString("order %1 is %2 with %3 tickets")
                                .arg(it.key())
                                .arg(it.value())
                                .arg(tickets.value(it.key()))));
    }

    Program second(station);
    QVERIFY(second.start(Program::arguments(shop)));
    QVERIFY2(waitFor([&] { return allMarked(shop, kBacklog); }, 30000),
             qPrintable(second.errors()));
    QTest::qWait(100);
    QCOMPARE(station.tickets().size(), kBacklog);
    QCOMPARE(ordersPrintedTwice(station.tickets()), 0);
    QVERIFY(second.signalAndWait(signal, 10000));
    QCOMPARE(second.exitCode(), 0);
}

void TestFaultsProgram::pdfFolderFailureKeepsOrdersPending_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("a file where the folder should be") << "file";
    QTest::newRow("read-only file system") << "readonly";
    QTest::newRow("disk full") << "full";
}

void TestFaultsProgram::pdfFolderFailureKeepsOrdersPending() {
    // A ticket that cannot be written is an error, never a success: the order
    // stays pending and is printed once the folder is usable again. Root
    // ignores permission bits, so the faults are ones root cannot get past.
    QFETCH(QString, fault);
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, 3);
    Workstation station(shop.serverFolder());
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("tickets");
    auto unmount = qScopeGuard([&] {
        if (fault != "file") run("umount", {"-l", folder});
    });
    if (fault == "file") {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else if (fault == "readonly") {
        if (!mountTmpfs(folder, "ro,size=1m"))
            QSKIP("this sandbox does not let root mount a tmpfs");
    } else {
        if (!mountTmpfs(folder, "size=256k")) QSKIP("this sandbox does not let root mount a tmpfs");
        // Leave a few kilobytes: a ticket starts to be written and cannot end.
        QFile filler(folder + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        filler.resize(filler.size() - 8192);
    }
    station.setPdfDir(folder);

    Program program(station);
    QVERIFY(program.start(Program::arguments(shop)));
    QVERIFY2(waitFor([&] { return program.errors().contains("impcomanda: "); }, 20000),
             "no error reported");
    QTest::qWait(1000);  // a few more ticks fail the same way
    QVERIFY(program.running());
    QVERIFY2(program.errors().contains(folder), qPrintable(program.errors()));
    QStringList published;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        if (file.fileName().startsWith("Impresion comanda"))
            published << QString("%1 (%2 bytes, %3)")
                             .arg(file.fileName())
                             .arg(file.size())
                             .arg(pdfIsComplete(file.filePath()) ? "complete" : "broken");
    QVERIFY2(published.isEmpty(), qPrintable(published.join(", ")));
    QCOMPARE(kitchenFlags(shop).values().count("N"), 3);

    // Usable again: the next tick prints all three.
    if (fault == "file")
        QVERIFY(QFile::remove(folder));
    else if (fault == "readonly")
        QCOMPARE(run("mount", {"-o", "remount,rw", folder}), 0);
    else
        QVERIFY(QFile::remove(folder + "/filler"));
    QVERIFY2(waitFor([&] { return allMarked(shop, 3); }, 15000), qPrintable(program.errors()));
    QTest::qWait(100);
    const auto tickets = ticketsIn(folder);
    QCOMPARE(tickets, (QMap<int, int>{{1, 1}, {2, 1}, {3, 1}}));
    for (int order : tickets.keys())
        QVERIFY(pdfIsComplete(QString("%1/Impresion comanda %2.pdf").arg(folder).arg(order)));
    QVERIFY(program.signalAndWait(SIGTERM, 10000));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestFaultsProgram)
#include "tst_faults_program.moc"
