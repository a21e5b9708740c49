#include "dataset.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include "errors.h"
#include "regional.h"
#include "sqlconnection.h"

namespace data {
namespace {

// Firebird's type code of CHAR(n) columns (SQL_TEXT); the driver pads them.
constexpr int kSqlText = 452;
// The driver connects as UTF8, so a CHAR(n) column is 4·n bytes wide.
constexpr int kBytesPerChar = 4;

bool isIntegerType(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}

bool isDecimalType(const QVariant& v) {
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

QList<DataSet::Column> columnsOf(const QSqlRecord& record) {
    QList<DataSet::Column> columns;
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        DataSet::Column column;
        column.name = field.name().toUpper();
        // The type code carries the column's nullability in its lowest bit.
        if ((field.typeID() & ~1) == kSqlText)
            column.charLength = int(field.length()) / kBytesPerChar;
        columns.append(column);
    }
    return columns;
}

// QSqlQuery::record() costs the QIBASE driver one system-table query per
// decimal column, so a statement's column list is read once per shape: the
// statement with its numbers blanked out, on one attachment of one database.
// Only rows differ between orders, not columns. Quoted texts stay as they
// are: in a select list their length is the length of a CHAR column.
QString statementShape(const QString& statement) {
    static const QRegularExpression literal(
        QStringLiteral("'(?:[^']|'')*'|(?<![A-Za-z0-9_$])-?[0-9]+(?:\\.[0-9]+)?"));
    QString shape;
    qsizetype copied = 0;
    for (auto it = literal.globalMatch(statement); it.hasNext();) {
        const auto match = it.next();
        if (statement.at(match.capturedStart()) == u'\'') continue;
        shape += QStringView(statement).mid(copied, match.capturedStart() - copied);
        shape += u'?';
        copied = match.capturedEnd();
    }
    shape += QStringView(statement).mid(copied);
    return shape;
}

class ColumnCache {
public:
    const QList<DataSet::Column>* find(const QString& key) const {
        const auto it = columns_.constFind(key);
        return it == columns_.cend() ? nullptr : &it.value();
    }
    void insert(const QString& key, const QList<DataSet::Column>& columns) {
        // A handful of shapes in practice; the bound only guards odd callers.
        if (columns_.size() >= kMaxShapes) columns_.clear();
        columns_.insert(key, columns);
    }

private:
    static constexpr qsizetype kMaxShapes = 256;
    QHash<QString, QList<DataSet::Column>> columns_;
};

ColumnCache& columnCache() {
    static ColumnCache cache;
    return cache;
}

// A new attachment gets a new handle, so a reconnection (or another company's
// database) never sees the column lists of the previous one.
QString attachmentKey(const QSqlDatabase& database) {
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    return database.connectionName() + u'\n' + database.databaseName() + u'\n' +
           QString::number(handle.toULongLong());
}

QList<DataSet::Column> columnsFor(const QString& statement, const QSqlQuery& query,
                                  const QSqlDatabase& database) {
    const QString key = attachmentKey(database) + u'\n' + statementShape(statement);
    if (const auto* known = columnCache().find(key)) return *known;
    const QList<DataSet::Column> columns = columnsOf(query.record());
    columnCache().insert(key, columns);
    return columns;
}

QStringList placeholdersOf(const QString& statement) {
    static const QRegularExpression placeholder(QStringLiteral(":([A-Za-z_][A-Za-z0-9_$]*)"));
    QStringList names;
    for (auto it = placeholder.globalMatch(statement); it.hasNext();)
        names.append(it.next().captured(1).toUpper());
    return names;
}

}  // namespace

struct DataSet::Detail {
    DataSet* set = nullptr;
    QString statement;
    QList<Column> columns;
    QList<QList<Row>> rowsPerMasterRow;
};

DataSet::DataSet(QString name, SqlConnection& connection)
    : name_(std::move(name)), connection_(connection) {}

DataSet::~DataSet() = default;

void DataSet::open() {
    if (open_) return;
    QList<Column> columns;
    QList<Row> rows;
    fetch(commandText_, {}, columns, rows);
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    cursor_ = 0;
    open_ = true;
    fetchDetails();
}

void DataSet::close() {
    open_ = false;
    columns_.clear();
    rows_.clear();
    cursor_ = 0;
    for (auto& detail : details_) {
        detail->rowsPerMasterRow.clear();
        detail->set->close();
    }
}

void DataSet::execute() {
    connection_.log().add(commandText_);
    QSqlQuery query(connection_.database());
    if (!query.exec(commandText_)) throw DatabaseError(query.lastError().text());
    query.finish();
}

void DataSet::fetch(const QString& statement, const QVariantMap& params, QList<Column>& columns,
                    QList<Row>& rows) {
    connection_.log().add(statement);
    QSqlQuery query(connection_.database());
    query.setForwardOnly(true);
    bool ran = false;
    if (params.isEmpty()) {
        ran = query.exec(statement);
    } else {
        ran = query.prepare(statement);
        for (auto it = params.begin(); ran && it != params.end(); ++it)
            query.bindValue(':' + it.key(), it.value());
        ran = ran && query.exec();
    }
    if (!ran) throw DatabaseError(query.lastError().text());
    columns = columnsFor(statement, query, connection_.database());
    const int width = int(columns.size());
    while (query.next()) {
        Row row;
        row.reserve(width);
        for (int i = 0; i < width; ++i)
            row.append(query.value(i));
        rows.append(std::move(row));
    }
    // The driver reports conversion errors at fetch time, not at exec().
    if (query.lastError().isValid()) throw DatabaseError(query.lastError().text());
    // Ends the statement's transaction now instead of when the query dies.
    query.finish();
}

void DataSet::addDetail(DataSet& detail, const QString& statement) {
    auto entry = std::make_unique<Detail>();
    entry->set = &detail;
    entry->statement = statement;
    details_.push_back(std::move(entry));
}

void DataSet::fetchDetails() {
    for (auto& detail : details_) {
        const QStringList names = placeholdersOf(detail->statement);
        for (const Row& row : rows_) {
            QVariantMap params;
            for (const QString& name : names) {
                const int index = columnIndex(name);
                params.insert(name, index >= 0 ? row[index] : QVariant());
            }
            QList<Row> rows;
            fetch(detail->statement, params, detail->columns, rows);
            detail->rowsPerMasterRow.append(std::move(rows));
        }
    }
    showDetailRows();
}

void DataSet::showDetailRows() {
    for (auto& detail : details_) {
        DataSet& set = *detail->set;
        set.columns_ = detail->columns;
        set.rows_ = cursor_ < detail->rowsPerMasterRow.size() ? detail->rowsPerMasterRow[cursor_]
                                                              : QList<Row>();
        set.cursor_ = 0;
        set.open_ = open_;
    }
}

int DataSet::recordCount() const {
    return int(rows_.size());
}

void DataSet::first() {
    cursor_ = 0;
    showDetailRows();
}

void DataSet::next() {
    if (cursor_ < rows_.size()) ++cursor_;
    showDetailRows();
}

void DataSet::last() {
    cursor_ = rows_.isEmpty() ? 0 : int(rows_.size()) - 1;
    showDetailRows();
}

bool DataSet::eof() const {
    return cursor_ >= rows_.size();
}

QStringList DataSet::fieldNames() const {
    QStringList names;
    for (const Column& column : columns_)
        names.append(column.name);
    return names;
}

int DataSet::columnIndex(const QString& column) const {
    // Names are stored upper case; comparing without case spares a copy of
    // the wanted name on every field read.
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(column, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool DataSet::hasField(const QString& column) const {
    return columnIndex(column) >= 0;
}

const QVariant& DataSet::cell(const QString& column) const {
    const int index = columnIndex(column);
    if (index < 0)
        throw DatabaseError(QStringLiteral("%1: no se encontró el campo '%2'").arg(name_, column));
    if (cursor_ >= rows_.size())
        throw DatabaseError(QStringLiteral("%1: no hay un registro actual").arg(name_));
    return rows_[cursor_][index];
}

QVariant DataSet::value(const QString& column) const {
    return cell(column);
}

bool DataSet::isNull(const QString& column) const {
    return cell(column).isNull();
}

QString DataSet::text(const QString& column) const {
    const QVariant& v = cell(column);
    if (v.isNull()) return QString();
    if (isIntegerType(v)) return QString::number(v.toLongLong());
    if (isDecimalType(v))
        return Fixed4::fromDouble(v.toDouble()).toString(regional::decimalSeparator());
    switch (v.typeId()) {
        case QMetaType::QDate:
            return regional::shortDate(v.toDate());
        case QMetaType::QTime:
            return regional::longTime(v.toTime());
        case QMetaType::QDateTime:
            return regional::shortDate(v.toDate()) + ' ' + regional::longTime(v.toTime());
        case QMetaType::QByteArray:
            return QString::fromUtf8(v.toByteArray());
        default:
            break;
    }
    const int charLength = columns_[columnIndex(column)].charLength;
    const QString textValue = v.toString();
    return charLength > 0 ? textValue.left(charLength) : textValue;
}

std::optional<qint64> DataSet::optionalInteger(const QString& column) const {
    const QVariant& v = cell(column);
    if (v.isNull()) return std::nullopt;
    if (isIntegerType(v)) return v.toLongLong();
    bool ok = false;
    const qint64 number = text(column).toLongLong(&ok);
    if (!ok)
        throw ConversionError(
            QStringLiteral("'%1' no es un valor entero válido (%2)").arg(text(column), column));
    return number;
}

qint64 DataSet::integer(const QString& column) const {
    return optionalInteger(column).value_or(0);
}

std::optional<Fixed4> DataSet::decimal(const QString& column) const {
    const QVariant& v = cell(column);
    if (v.isNull()) return std::nullopt;
    if (isDecimalType(v)) return Fixed4::fromDouble(v.toDouble());
    if (isIntegerType(v)) return Fixed4::fromRaw(v.toLongLong() * Fixed4::kScale);
    const auto parsed = Fixed4::parse(text(column), regional::decimalSeparator());
    if (!parsed)
        throw ConversionError(
            QStringLiteral("'%1' no es un valor numérico válido (%2)").arg(text(column), column));
    return parsed;
}

QByteArray DataSet::bytes(const QString& column) const {
    const QVariant& v = cell(column);
    if (v.isNull()) return QByteArray();
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
}

QDate DataSet::date(const QString& column) const {
    return cell(column).toDate();
}

}  // namespace data
