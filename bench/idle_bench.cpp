// The program logged in and ticking: resident memory and CPU time per pass,
// first with nothing to print, then with new orders before every pass.
// Usage: idle_bench [idle passes [printing passes [orders per printing pass]]]
//        (default: 25 25 10; the timer runs every 200 ms)
// Needs the test environment (IMPC_TEMPLATE_DIR, IMPC_TEST_ROOT, IMPC_FB_HOST,
// IMPC_DB_USER, IMPC_DB_PASSWORD) and a Firebird server.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <stdexcept>

#include "bench_shop.h"

namespace {

constexpr int kTimerMs = 200;

QTextStream out(stdout);

struct Sample {
    double rssKiB = 0;
    double cpuMs = 0;  // user + system since the process started
};

Sample sample(qint64 pid) {
    Sample s;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) throw std::runtime_error("the program has ended");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            s.rssKiB = line.mid(6).trimmed().split(' ').first().toDouble();
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) throw std::runtime_error("the program has ended");
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold spaces: utime and stime are 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(sysconf(_SC_CLK_TCK));
    s.cpuMs = (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / ticks;
    return s;
}

int pendingItems(TestShop& shop) {
    return shop
        .scalar(QStringLiteral("SELECT COUNT(*) FROM FACTURA_WEB_DETALLE D JOIN ARTICULO A "
                               "ON A.ARTI_COD = D.ARTI_COD WHERE A.ARTI_COLAC = 1 AND "
                               "D.FAWD_PEDLISTO = 'S' AND D.FAWD_IMPRESO = 'N' AND "
                               "D.FACW_ID IN (SELECT FACW_ID FROM FACTURA_WEB "
                               "WHERE FACW_FECHA = CURRENT_DATE)"))
        .toInt();
}

void waitUntilPrinted(TestShop& shop, QProcess& program) {
    QElapsedTimer clock;
    clock.start();
    while (pendingItems(shop) > 0) {
        if (program.state() != QProcess::Running || clock.elapsed() > 60000)
            throw std::runtime_error("the orders were not printed");
        QThread::msleep(20);
    }
}

// One line per pass; returns the growth of RSS from the first to the last pass.
double watch(const QString& phase, int passes, qint64 pid,
             const std::function<void()>& beforePass) {
    QList<Sample> samples{sample(pid)};
    for (int i = 0; i < passes; ++i) {
        beforePass();
        QThread::msleep(kTimerMs);
        samples << sample(pid);
        const Sample& now = samples.last();
        const Sample& before = samples[samples.size() - 2];
        out << QStringLiteral("%1 pass %2: RSS %3 KiB, CPU %4 ms\n")
                   .arg(phase)
                   .arg(i + 1, 2)
                   .arg(now.rssKiB, 0, 'f', 0)
                   .arg(now.cpuMs - before.cpuMs, 0, 'f', 0);
    }
    const double cpu = samples.last().cpuMs - samples.first().cpuMs;
    // The first passes settle caches and pools; growth is judged after them.
    const int settled = std::min(5, int(samples.size()) - 1);
    const double growth = samples.last().rssKiB - samples[settled].rssKiB;
    out << QStringLiteral(
               "%1: %2 passes, CPU %3 ms per pass, RSS %4 -> %5 KiB "
               "(after pass %6: %7 KiB, growth since then %8 KiB)\n")
               .arg(phase)
               .arg(passes)
               .arg(cpu / passes, 0, 'f', 1)
               .arg(samples[1].rssKiB, 0, 'f', 0)
               .arg(samples.last().rssKiB, 0, 'f', 0)
               .arg(settled)
               .arg(samples[settled].rssKiB, 0, 'f', 0)
               .arg(growth, 0, 'f', 0);
    out.flush();
    return growth;
}

int run(int idlePasses, int printingPasses, int ordersPerPass) {
    TestShop shop(TestShop::Content::Demo);
    bench::BenchInstallation installation(shop);
    QTemporaryDir pdfDir;

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("IMPCOMANDA_TIMER_MS"), QString::number(kTimerMs));
    env.insert(QStringLiteral("IMPCOMANDA_PDF_DIR"), pdfDir.path());
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), installation.xdgConfigDirs());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(IMPCOMANDA_EXECUTABLE),
                  {shop.serverFolder(), TestShop::user(), TestShop::password(),
                   QStringLiteral("01"), QStringLiteral("CO"), QStringLiteral("1")});
    if (!program.waitForStarted()) throw std::runtime_error("impcomanda did not start");
    const qint64 pid = program.processId();

    // The unattended start prints the demo's pending orders of the queue.
    waitUntilPrinted(shop, program);
    QThread::msleep(2 * kTimerMs);

    const double idleGrowth = watch(QStringLiteral("idle"), idlePasses, pid, [] {});
    int nextOrder = 200000;
    const double printingGrowth = watch(QStringLiteral("printing"), printingPasses, pid, [&] {
        bench::seedOrders(shop, ordersPerPass, nextOrder, false);
        nextOrder += ordersPerPass;
        waitUntilPrinted(shop, program);
    });
    const int tickets = int(QDir(pdfDir.path()).entryList({QStringLiteral("*.pdf")}).size());
    out << QStringLiteral("tickets written: %1; memory %2\n")
               .arg(tickets)
               .arg(idleGrowth <= 64 && printingGrowth <= 256 ? QStringLiteral("does not grow")
                                                              : QStringLiteral("GROWS"));
    out.flush();

    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int idlePasses = argc > 1 ? QString(argv[1]).toInt() : 25;
    const int printingPasses = argc > 2 ? QString(argv[2]).toInt() : 25;
    const int ordersPerPass = argc > 3 ? QString(argv[3]).toInt() : 10;
    try {
        return run(idlePasses, printingPasses, ordersPerPass);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "idle_bench: %s\n", error.what());
        return 1;
    }
}
