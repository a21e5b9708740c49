// A backlog of N pending orders printed by one pass of the real window to the
// built-in PDF printer, against the same statements sent with no drawing.
// Usage: backlog_bench [N ...]   (default: 200 1000; 5 repetitions each)
// Needs the test environment (IMPC_TEMPLATE_DIR, IMPC_TEST_ROOT, IMPC_FB_HOST,
// IMPC_DB_USER, IMPC_DB_PASSWORD) and a Firebird server.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "app/lookupcombo.h"
#include "app/statements.h"
#include "app/tfimpcomanda.h"
#include "bench_shop.h"
#include "data/clock.h"
#include "data/dataset.h"
#include "data/messages.h"
#include "data/tfdm.h"
#include "engine/qt_report_system.h"

namespace {

// BENCH_REPETITIONS=1 makes a profiling run (callgrind) short.
int repetitions() {
    bool ok = false;
    const int fromEnv = qEnvironmentVariableIntValue("BENCH_REPETITIONS", &ok);
    return ok && fromEnv > 0 ? fromEnv : 5;
}
constexpr qint32 kQueue = 1;

QTextStream out(stdout);

// The engine as the program uses it, with the time spent inside jobs added up.
class TimedReportSystem : public engine::QtReportSystem {
public:
    void RunJob() override {
        QElapsedTimer clock;
        clock.start();
        engine::QtReportSystem::RunJob();
        jobNanoseconds += clock.nsecsElapsed();
        ++jobs;
    }
    qint64 jobNanoseconds = 0;
    int jobs = 0;
};

class PrintedMessages : public data::MessageSink {
public:
    void show(const QString& text) override { out << "message: " << text << Qt::endl; }
};

QtMessageHandler standardHandler = nullptr;

// The offscreen platform says this for every status window it shows.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("propagateSizeHints"))) return;
    standardHandler(type, context, text);
}

// Other work on the machine shows in every figure; the output says how much.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct PassFigures {
    double wallMs = 0;
    double jobMs = 0;
    int tickets = 0;
    qsizetype statements = 0;
};

// One pass of the print cycle, exactly as F2 runs it.
PassFigures runPass(app::Tfimpcomanda& window, TimedReportSystem& report, const QString& pdfDir) {
    report.jobNanoseconds = 0;
    report.jobs = 0;
    QElapsedTimer clock;
    clock.start();
    window.SpeedButton3Click();
    PassFigures figures;
    figures.wallMs = clock.nsecsElapsed() / 1e6;
    figures.jobMs = report.jobNanoseconds / 1e6;
    figures.tickets = int(QDir(pdfDir).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
    if (window.errorBox().isOpen()) {
        out << "error: " << window.errorBox().text() << Qt::endl;
        window.errorBox().close();
    }
    return figures;
}

// The pass's own statements, through one data set on the same connection.
double runFloor(data::Tfdm& fdm) {
    data::DataSet set(QStringLiteral("Floor"), fdm.Vemtrax);
    QElapsedTimer clock;
    clock.start();
    set.setCommandText(app::pendingOrdersStatement(data::clock::now().date(), kQueue));
    set.open();
    QList<qint64> orders;
    for (set.first(); !set.eof(); set.next())
        orders.append(set.integer(QStringLiteral("FACW_ID")));
    set.close();
    for (const qint64 order : orders) {
        set.setCommandText(app::ticketRowsStatement(order, kQueue));
        set.open();
        set.close();
        set.setCommandText(app::markingStatement(data::clock::now().time(), order, kQueue));
        set.execute();
    }
    return clock.nsecsElapsed() / 1e6;
}

void clearFolder(const QString& path) {
    QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

void benchmark(int orders) {
    TestShop shop(TestShop::Content::Demo);
    bench::BenchInstallation installation(shop);
    QTemporaryDir pdfDir;
    bench::seedOrders(shop, orders);

    data::Tfdm fdm;
    TimedReportSystem report;
    report.setPdfFolder(pdfDir.path());
    app::Tfimpcomanda window(fdm, report, {});
    window.Timer1.stop();  // the passes below are the only ones
    window.Tusua->setText(TestShop::user());
    window.TClave->setText(TestShop::password());
    window.Cia->setText(QStringLiteral("01"));
    window.CiaExit();
    window.Prefijo->setKeyValue(QStringLiteral("CO"));
    window.Cola->setKeyValue(QString::number(kQueue));
    fdm.statementLog().clear();

    QList<double> wall, perTicketDb, perTicketJob, floors;
    int tickets = 0;
    qint64 statements = 0;
    for (int i = 0; i < repetitions(); ++i) {
        bench::resetPrinted(shop);
        clearFolder(pdfDir.path());
        const qint64 sentBefore = fdm.statementLog().total();
        const PassFigures pass = runPass(window, report, pdfDir.path());
        statements = fdm.statementLog().total() - sentBefore;
        tickets = pass.tickets;
        wall << pass.wallMs;
        perTicketJob << pass.jobMs / std::max(1, pass.tickets);
        perTicketDb << (pass.wallMs - pass.jobMs) / std::max(1, pass.tickets);

        bench::resetPrinted(shop);
        floors << runFloor(fdm);
        fdm.statementLog().clear();
    }
    clearFolder(pdfDir.path());

    const double passMs = median(wall);
    const double floorMs = median(floors);
    out << QStringLiteral(
               "N=%1: pass %2 ms (median of %3; min %4, max %5), %6 tickets, "
               "%7 tickets/s\n")
               .arg(orders)
               .arg(passMs, 0, 'f', 0)
               .arg(repetitions())
               .arg(*std::min_element(wall.begin(), wall.end()), 0, 'f', 0)
               .arg(*std::max_element(wall.begin(), wall.end()), 0, 'f', 0)
               .arg(tickets)
               .arg(tickets * 1000.0 / passMs, 0, 'f', 1);
    out << QStringLiteral("  per ticket: %1 ms = %2 ms database + %3 ms drawing (RunJob)\n")
               .arg(passMs / std::max(1, tickets), 0, 'f', 2)
               .arg(median(perTicketDb), 0, 'f', 2)
               .arg(median(perTicketJob), 0, 'f', 2);
    out << QStringLiteral("  floor %1 ms (median of %2; min %3, max %4), pass/floor %5\n")
               .arg(floorMs, 0, 'f', 0)
               .arg(repetitions())
               .arg(*std::min_element(floors.begin(), floors.end()), 0, 'f', 0)
               .arg(*std::max_element(floors.begin(), floors.end()), 0, 'f', 0)
               .arg(passMs / floorMs, 0, 'f', 2);
    out << QStringLiteral("  statements per pass %1 (floor: %2)\n")
               .arg(statements)
               .arg(1 + 2 * orders);
    out << QStringLiteral("  peak RSS so far %1 MiB\n").arg(bench::peakRssMiB(), 0, 'f', 1);
    out.flush();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    standardHandler = qInstallMessageHandler(quietPlatform);
    PrintedMessages messages;
    data::installMessageSink(&messages);
    out << "load average at start: " << loadAverage() << Qt::endl;
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString(argv[i]).toInt();
    if (sizes.isEmpty()) sizes = {200, 1000};
    try {
        for (const int orders : sizes)
            benchmark(orders);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "backlog_bench: %s\n", error.what());
        return 1;
    }
    out << "load average at end: " << loadAverage() << Qt::endl;
    data::installMessageSink(nullptr);
    return 0;
}
