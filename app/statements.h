#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The texts of the print cycle's statements. Values are written into the text:
// the prefix as a quoted literal, numbers in decimal.
namespace app {

QString formatStatement(const QString& prefix);

// Today's orders with at least one item of the queue that is ready and not yet
// printed. The date is an ISO literal, which Firebird reads the same way
// whatever the workstation's regional date format.
QString pendingOrdersStatement(const QDate& today, qint32 queue);

QString ticketRowsStatement(qint64 order, qint32 queue);

// Marks the order's items of the queue as printed. Only ready items whose time
// lies in an earlier ten-second step than `now` are marked: items that became
// ready while the ticket printed keep the order pending for the next pass.
QString markingStatement(const QTime& now, qint64 order, qint32 queue);

// A queue id as staff or the command line give it: a plain decimal 32-bit
// integer, nothing else. Throws data::ConversionError.
qint32 queueNumber(const QString& keyValue);

}  // namespace app
