#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

#include "fixed4.h"

namespace data {

class SqlConnection;

// An in-memory data set fed by one statement on the company connection: open()
// runs the statement text and fetches every row; the rows stay after the
// statement is finished (so no transaction is held open) and after the
// connection closes. Fields are read by column name from the current row.
//
// The QIBASE driver's quirks are dealt with here and nowhere else:
// decimals arrive as doubles and become four-decimal fixed point; CHAR(n)
// arrives padded to 4·n and is cut back to n; a NULL numeric is NULL, not "0";
// conversion errors that surface while fetching are raised, not swallowed.
class DataSet {
public:
    DataSet(QString name, SqlConnection& connection);
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    const QString& name() const { return name_; }
    void setCommandText(const QString& text) { commandText_ = text; }
    const QString& commandText() const { return commandText_; }

    // Throws DatabaseError. Opening an open data set changes nothing.
    void open();
    void close();
    bool isOpen() const { return open_; }
    // Runs the command text as a statement without rows (autocommitted).
    void execute();

    int recordCount() const;
    void first();
    void next();
    void last();
    bool eof() const;
    int recNo() const { return cursor_; }

    QStringList fieldNames() const;
    bool hasField(const QString& column) const;
    // Field readers on the current row; an unknown column or no current row throws DatabaseError.
    QVariant value(const QString& column) const;
    bool isNull(const QString& column) const;
    // The text the program prints: empty for NULL, integers in decimal, decimals
    // as four-decimal fixed point with the locale's separator, dates in the short
    // date format, times in the long time format, CHAR cut to its declared length.
    QString text(const QString& column) const;
    // NULL counts as 0. Throws ConversionError when the value is not an integer.
    qint64 integer(const QString& column) const;
    std::optional<qint64> optionalInteger(const QString& column) const;
    std::optional<Fixed4> decimal(const QString& column) const;
    QByteArray bytes(const QString& column) const;
    QDate date(const QString& column) const;

    // Nested detail set: when this set opens, `statement` runs for every row of
    // this set with its :PARAM placeholders bound from the row's columns of the
    // same name; `detail` then shows the rows of this set's current row.
    void addDetail(DataSet& detail, const QString& statement);

    struct Column {
        QString name;        // upper case
        int charLength = 0;  // declared length of a CHAR column, 0 otherwise
    };
    using Row = QList<QVariant>;

private:
    struct Detail;
    int columnIndex(const QString& column) const;
    const QVariant& cell(const QString& column) const;
    void fetch(const QString& statement, const QVariantMap& params, QList<Column>& columns,
               QList<Row>& rows);
    void fetchDetails();
    void showDetailRows();

    QString name_;
    SqlConnection& connection_;
    QString commandText_;
    bool open_ = false;
    QList<Column> columns_;
    QList<Row> rows_;
    int cursor_ = 0;
    std::vector<std::unique_ptr<Detail>> details_;
};

}  // namespace data
