#include "testshop.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <stdexcept>

#include "data/errors.h"

namespace {

// The server runs as user firebird and must be able to open what we copy.
void giveToFirebird(const QString& path) {
    const passwd* user = getpwnam("firebird");
    if (!user) return;
    if (chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0) return;
}

void copyDatabase(const QString& from, const QString& to) {
    if (!QFile::copy(from, to))
        throw std::runtime_error(("cannot copy template database " + from + " -> " + to +
                                  " (did scripts/test create the template?)")
                                     .toStdString());
    QFile::setPermissions(
        to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
    giveToFirebird(to);
}

void makeFolder(const QString& path) {
    QDir().mkpath(path);
    giveToFirebird(path);
}

}  // namespace

QString testEnv(const char* name) {
    const QByteArray value = qgetenv(name);
    if (value.isEmpty())
        throw std::runtime_error(std::string(name) +
                                 " is not set: run the tests through scripts/test");
    return QString::fromLocal8Bit(value);
}

TestShop::TestShop(Content content, const QString& company) : company_(company) {
    const QString templates = testEnv("IMPC_TEMPLATE_DIR");
    folder_ = testEnv("IMPC_TEST_ROOT") + "/" + QUuid::createUuid().toString(QUuid::Id128);
    makeFolder(folder_);
    makeFolder(folder_ + "/datos");
    makeFolder(folder_ + "/datos/" + company);
    copyDatabase(templates + "/general.fdb", folder_ + "/datos/general.fdb");
    copyDatabase(templates + (content == Content::Demo ? "/demo.fdb" : "/vemtrax.fdb"),
                 companyDatabase().section(':', 1));

    static QAtomicInt counter;
    connectionName_ = QString("testshop-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase("QIBASE", connectionName_);
    db.setDatabaseName(companyDatabase());
    db.setUserName(user());
    db.setPassword(password());
    if (!db.open()) throw data::DatabaseError("TestShop: " + db.lastError().text());
}

TestShop::~TestShop() {
    QSqlDatabase::database(connectionName_, false).close();
    QSqlDatabase::removeDatabase(connectionName_);
    QDir(folder_).removeRecursively();
}

QString TestShop::serverFolder() const {
    return testEnv("IMPC_FB_HOST") + ":" + folder_;
}

QString TestShop::companyDatabase() const {
    return serverFolder() + "/datos/" + company_ + "/vemtrax.fdb";
}

QString TestShop::user() {
    return testEnv("IMPC_DB_USER");
}
QString TestShop::password() {
    return testEnv("IMPC_DB_PASSWORD");
}

void TestShop::exec(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connectionName_));
    if (!query.exec(sql)) throw data::DatabaseError(query.lastError().text() + "\n" + sql);
}

QList<QVariantList> TestShop::rows(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connectionName_));
    if (!query.exec(sql)) throw data::DatabaseError(query.lastError().text() + "\n" + sql);
    QList<QVariantList> result;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        result << row;
    }
    if (query.lastError().isValid()) throw data::DatabaseError(query.lastError().text());
    return result;
}

QVariant TestShop::scalar(const QString& sql) {
    const QList<QVariantList> result = rows(sql);
    return result.isEmpty() || result.first().isEmpty() ? QVariant() : result.first().first();
}
