#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace data {

// The latest statement texts sent to a database, in order, so that tests can
// check exactly what the program asked. Bounded: a program that prints all day
// must not grow with every statement.
class StatementLog {
public:
    static constexpr qsizetype kKept = 256;
    void add(const QString& statement) {
        if (entries_.size() >= kKept) entries_.removeFirst();
        entries_.append(statement);
        ++total_;
    }
    // Every statement sent since the log was made, also those no longer kept.
    qint64 total() const { return total_; }
    void clear() { entries_.clear(); }
    const QStringList& entries() const { return entries_; }

private:
    QStringList entries_;
    qint64 total_ = 0;
};

// One Firebird connection through Qt's QIBASE driver. Closed until open();
// the parameters "Database", "User_Name" and "Password" are matched without
// regard to case, as the shop's configuration writes them either way.
class SqlConnection {
public:
    SqlConnection(const QString& name, StatementLog& log);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    void setParam(const QString& name, const QString& value);
    QString param(const QString& name) const;

    // Throws DatabaseError with the driver's text; a failed open leaves it closed.
    void open();
    void close();
    bool isOpen() const;

    // A statement failed: the connection may have died with its server.
    void markSuspect() { suspect_ = true; }
    // After a failure, a restarted server leaves the connection open but dead.
    // Probes it and connects again with the same parameters when it is gone;
    // throws DatabaseError while the server is still away.
    void recoverIfLost();

    QSqlDatabase database() const;
    StatementLog& log() { return log_; }
    const QString& name() const { return name_; }

private:
    QString name_;
    QString qtName_;
    StatementLog& log_;
    QMap<QString, QString> params_;  // keys upper-cased
    bool suspect_ = false;
    bool lost_ = false;
};

}  // namespace data
