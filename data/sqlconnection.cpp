#include "sqlconnection.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>

#include "errors.h"

namespace data {
namespace {
QString uniqueQtName(const QString& name) {
    static QAtomicInt counter;
    return QStringLiteral("impc-%1-%2").arg(name).arg(counter.fetchAndAddRelaxed(1));
}
}  // namespace

SqlConnection::SqlConnection(const QString& name, StatementLog& log)
    : name_(name), qtName_(uniqueQtName(name)), log_(log) {
    QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), qtName_);
}

SqlConnection::~SqlConnection() {
    close();
    QSqlDatabase::removeDatabase(qtName_);
}

void SqlConnection::setParam(const QString& name, const QString& value) {
    params_[name.toUpper()] = value;
}

QString SqlConnection::param(const QString& name) const {
    return params_.value(name.toUpper());
}

void SqlConnection::open() {
    QSqlDatabase db = database();
    if (!db.isValid())
        throw DatabaseError(QStringLiteral("No está instalado el controlador QIBASE de Qt."));
    db.close();
    db.setDatabaseName(param(QStringLiteral("Database")));
    db.setUserName(param(QStringLiteral("User_Name")));
    db.setPassword(param(QStringLiteral("Password")));
    if (!db.open()) {
        const QString text = db.lastError().text();
        db.close();
        throw DatabaseError(text);
    }
    suspect_ = lost_ = false;
}

void SqlConnection::recoverIfLost() {
    if (!suspect_) return;
    if (!lost_) {
        if (!isOpen()) {
            suspect_ = false;  // closed on purpose: connecting is the login's business
            return;
        }
        // A health check, not one of the program's statements: not logged.
        QSqlQuery probe(database());
        if (probe.exec(QStringLiteral("select 1 from rdb$database")) && probe.next()) {
            suspect_ = false;
            return;
        }
        lost_ = true;
    }
    open();
}

void SqlConnection::close() {
    QSqlDatabase db = database();
    if (db.isValid()) db.close();
}

bool SqlConnection::isOpen() const {
    return database().isOpen();
}

QSqlDatabase SqlConnection::database() const {
    return QSqlDatabase::database(qtName_, false);
}

}  // namespace data
