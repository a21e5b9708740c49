#include "engine/cups_job.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "engine/print_error.h"

namespace engine {

namespace {

constexpr int kLpTimeoutMs = 30000;

QStringList lpArguments(const CupsJob& job, const QString& pdfPath) {
    QStringList args{QStringLiteral("-d"), job.printer,
                     QStringLiteral("-t"), job.title,
                     QStringLiteral("-n"), QString::number(job.copies)};
    const auto option = [&args](const QString& name, const QString& value) {
        args << QStringLiteral("-o") << name + u'=' + value;
    };
    if (!job.media.isEmpty()) option(QStringLiteral("media"), job.media);
    if (!job.sides.isEmpty()) option(QStringLiteral("sides"), job.sides);
    if (job.copies > 1 && job.collate) option(QStringLiteral("collate"), QStringLiteral("true"));
    for (qsizetype i = 0; i + 1 < job.options.size(); i += 2)
        option(job.options[i], job.options[i + 1]);
    args << pdfPath;
    return args;
}

PrintError refused(const CupsJob& job, const QString& reason) {
    return PrintError(QStringLiteral("La impresora \"%1\" no aceptó el trabajo \"%2\": %3")
                          .arg(job.printer, job.title, reason.trimmed()));
}

// A stopped queue (cupsdisable, or CUPS stopping it after a printer fault)
// still accepts jobs: they would wait unseen while the order counts as printed.
void requireRunningQueue(const CupsJob& job) {
    QProcess lpstat;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));  // untranslated states
    lpstat.setProcessEnvironment(environment);
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-p"), job.printer});
    if (!lpstat.waitForFinished(kLpTimeoutMs)) return;  // lp itself will tell
    const QString state = QString::fromLocal8Bit(lpstat.readAllStandardOutput());
    if (state.contains(QStringLiteral(" disabled")))
        throw PrintError(QStringLiteral("La impresora \"%1\" está detenida: %2")
                             .arg(job.printer, state.trimmed()));
}

}  // namespace

// Qt's own CUPS output ignores whether the queue took the job; lp reports it.
QString submitToCups(const CupsJob& job, const QString& pdfPath) {
    requireRunningQueue(job);
    QProcess lp;
    lp.start(QStringLiteral("lp"), lpArguments(job, pdfPath));
    if (!lp.waitForStarted()) throw refused(job, QStringLiteral("no se pudo ejecutar lp"));
    if (!lp.waitForFinished(kLpTimeoutMs)) {
        lp.kill();
        lp.waitForFinished();
        throw refused(job, QStringLiteral("lp no respondió"));
    }
    const QString output = QString::fromLocal8Bit(lp.readAllStandardOutput());
    if (lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        const QString error = QString::fromLocal8Bit(lp.readAllStandardError());
        throw refused(job, error.isEmpty() ? output : error);
    }
    static const QRegularExpression requestId(QStringLiteral("request id is (\\S+)"));
    return requestId.match(output).captured(1);
}

}  // namespace engine
