#include "faultkit.h"

#include <signal.h>

#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include "data/errors.h"
#include "testshop.h"

namespace faults {

QString programPath() {
    return QStringLiteral(IMPCOMANDA_EXE);
}

QString scriptPath(const QString& name) {
    return QStringLiteral(IMPC_SOURCE_DIR "/scripts/") + name;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs, int pollMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QTest::qWait(pollMs);
    }
    return true;
}

int run(const QString& program, const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) process.kill();
    if (output) *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit &&
                   process.error() != QProcess::FailedToStart
               ? process.exitCode()
               : -1;
}

QList<QVariantList> query(const TestShop& shop, const QString& sql) {
    static QAtomicInt counter;
    const QString name = QStringLiteral("faults-%1").arg(counter.fetchAndAddRelaxed(1));
    QList<QVariantList> result;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
        db.setDatabaseName(shop.companyDatabase());
        db.setUserName(TestShop::user());
        db.setPassword(TestShop::password());
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery statement(db);
            if (!statement.exec(sql)) error = statement.lastError().text();
            const int columns = statement.record().count();
            while (error.isEmpty() && statement.next()) {
                QVariantList row;
                for (int i = 0; i < columns; ++i)
                    row << statement.value(i);
                result << row;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty()) throw data::DatabaseError(error + "\n" + sql);
    return result;
}

QMap<int, QString> kitchenFlags(const TestShop& shop) {
    QMap<int, QString> flags;
    const auto rows = query(
        shop,
        "select d.facw_id, min(d.fawd_impreso), max(d.fawd_impreso) from factura_web_detalle d "
        "join articulo a on a.arti_cod = d.arti_cod join factura_web f on f.facw_id = d.facw_id "
        "where a.arti_colac = 1 and d.fawd_pedlisto = 'S' and f.facw_fecha = current_date "
        "group by d.facw_id");
    for (const QVariantList& row : rows) {
        const QString low = row[1].toString().trimmed();
        flags[row[0].toInt()] = low == row[2].toString().trimmed() ? low : QStringLiteral("mixed");
    }
    return flags;
}

void seedBacklog(TestShop& shop, int count) {
    shop.exec("delete from factura_web_detalle");
    shop.exec("delete from factura_web");
    shop.exec(QStringLiteral(
                  "execute block as declare i integer = 1; begin "
                  "while (i <= %1) do begin "
                  "insert into factura_web (facw_id, facw_fecha, facw_hora, pref_pre, facw_numero, "
                  "cliente, nomcliente, vend_cod, nomvend, ptovta, nomptovta, facw_obs) values "
                  "(:i, current_date, time '00:00:00', 'CO', lpad(:i, 6, '0'), '222222222', "
                  "'Mesa ' || :i, 3, 'Inigo Martinez', 1, 'Salon principal', 'Pedido ' || :i); "
                  "insert into factura_web_detalle (facw_id, fawd_item, arti_cod, fawd_cant, "
                  "fawd_prunit, fawd_referencia, fawd_pedlisto, fawd_impreso, fawd_hora) values "
                  "(:i, 1, 'C001', 2, 12.50, 'Silla 1', 'S', 'N', time '00:00:00'); "
                  "insert into factura_web_detalle (facw_id, fawd_item, arti_cod, fawd_cant, "
                  "fawd_prunit, fawd_referencia, fawd_pedlisto, fawd_impreso, fawd_hora) values "
                  "(:i, 2, 'C006', 1, 24.00, 'Silla 2', 'S', 'N', time '00:00:00'); "
                  "i = i + 1; end end")
                  .arg(count));
}

void bringDemoToToday(TestShop& shop) {
    shop.exec("update factura_web set facw_fecha = current_date where facw_id <> 1000");
    shop.exec(
        "update factura_web_detalle set fawd_hora = time '00:00:00' where fawd_hora is "
        "not null");
}

QMap<int, int> ticketsIn(const QString& folder) {
    static const QRegularExpression ticket(
        QStringLiteral("^Impresion comanda (\\d+)(?: \\((\\d+)\\))?\\.pdf$"));
    QMap<int, int> tickets;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const auto match = ticket.match(name);
        if (match.hasMatch()) ++tickets[match.captured(1).toInt()];
    }
    return tickets;
}

int ticketCount(const QString& folder) {
    int total = 0;
    for (int n : ticketsIn(folder))
        total += n;
    return total;
}

Workstation::Workstation(const QString& serverFolder, bool withKey) {
    QDir root(root_.path());
    root.mkpath("install");
    root.mkpath("tickets");
    root.mkpath("xdg/Quolid");
    pdfDir_ = root.filePath("tickets");
    write("SERVIDORES.cfg", serverFolder.toUtf8() + "\r\n");
    write("impresoras.cfg", "COCINA,PDF\r\nBAR,PDF\r\n");
    if (withKey) {
        QFile conf(root.filePath("xdg/Quolid/Vemtrax2022.conf"));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[General]\nDirectorio=" + installDir().toUtf8() + "\n");
    }
}

void Workstation::write(const QString& name, const QByteArray& bytes) const {
    QFile file(QDir(installDir()).filePath(name));
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QProcessEnvironment Workstation::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("IMPCOMANDA_PDF_DIR", pdfDir_);
    env.insert("IMPCOMANDA_TIMER_MS", "300");
    env.insert("XDG_CONFIG_DIRS", root_.filePath("xdg"));
    const QString runtime = root_.filePath("runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", runtime);
    return env;
}

Program::Program(const Workstation& workstation) : workstation_(workstation) {}

Program::~Program() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QStringList Program::arguments(const TestShop& shop) {
    return {shop.serverFolder(), TestShop::user(), TestShop::password(), "01", "CO", "1"};
}

bool Program::start(const QStringList& arguments) {
    errors_.clear();
    process_.setProcessEnvironment(workstation_.environment());
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(programPath(), arguments);
    return process_.waitForStarted(10000);
}

QString Program::errors() {
    errors_ += QString::fromUtf8(process_.readAllStandardError());
    return errors_;
}

bool Program::signalAndWait(int signal, int timeoutMs) {
    ::kill(static_cast<pid_t>(process_.processId()), signal);
    return process_.waitForFinished(timeoutMs);
}

}  // namespace faults
