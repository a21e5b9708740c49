#include "regional.h"

#include <QRegularExpression>

namespace data::regional {

QLocale locale() {
    return QLocale();
}

QString shortDateFormat() {
    return locale().dateFormat(QLocale::ShortFormat);
}

QString longTimeFormat() {
    // Qt's long format carries the time zone ("t"); a ticket shows the time of
    // day only, as the shop's regional setting for times with seconds.
    QString format = locale().timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

QString shortDate(const QDate& date) {
    return locale().toString(date, shortDateFormat());
}

QString longTime(const QTime& time) {
    return locale().toString(time, longTimeFormat());
}

QChar decimalSeparator() {
    const QString separator = locale().decimalPoint();
    return separator.isEmpty() ? QChar('.') : separator.front();
}

}  // namespace data::regional
