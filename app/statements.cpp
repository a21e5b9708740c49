#include "statements.h"

#include <QRegularExpression>

#include "data/errors.h"
#include "data/sqltext.h"

namespace app {

QString formatStatement(const QString& prefix) {
    return QStringLiteral("SELECT * FROM FORMATOS WHERE TIDO_COD = 531 AND PREF_PRE = ") +
           data::quotedLiteral(prefix);
}

QString pendingOrdersStatement(const QDate& today, qint32 queue) {
    return QStringLiteral("SELECT facw_id FROM FACTURA_WEB FW WHERE FW.facw_fecha = ") +
           data::quotedLiteral(today.toString(QStringLiteral("yyyy-MM-dd"))) +
           QStringLiteral(
               " AND EXISTS (SELECT FWD.facw_id FROM factura_web_detalle FWD, ARTICULO A") +
           QStringLiteral(
               " WHERE FWD.facw_id = FW.facw_id AND FWD.arti_cod = A.arti_cod AND A.arti_colac "
               "= ") +
           QString::number(queue) +
           QStringLiteral(" AND FWD.fawd_pedlisto = 'S' AND FWD.fawd_impreso = 'N')");
}

QString ticketRowsStatement(qint64 order, qint32 queue) {
    return QStringLiteral("select * from impr_comanda(") + QString::number(order) +
           QStringLiteral(", ") + QString::number(queue) + QStringLiteral(")");
}

QString markingStatement(const QTime& now, qint64 order, qint32 queue) {
    // Always two-digit 24-hour text, so it compares with the server's text of
    // FAWD_HORA digit by digit, whatever the workstation's time format.
    const QString cutTime = now.toString(QStringLiteral("HH:mm:ss")).left(7);
    return QStringLiteral(
               "UPDATE FACTURA_WEB_DETALLE FD SET FAWD_IMPRESO = 'S' WHERE "
               "SUBSTRING(CAST(FAWD_HORA AS VARCHAR(13)) FROM 1 FOR 7) < ") +
           data::quotedLiteral(cutTime) + QStringLiteral(" AND FAWD_PEDLISTO = 'S'") +
           QStringLiteral(" AND FACW_ID = ") + QString::number(order) +
           QStringLiteral(
               " AND exists (SELECT ARTI_COD FROM ARTICULO WHERE ARTI_COD = FD.ARTI_COD AND "
               "ARTI_COLAC = ") +
           QString::number(queue) + QStringLiteral(")");
}

qint32 queueNumber(const QString& keyValue) {
    // Blanks, signs on zero, leading zeros after a sign or anything else that
    // is not a plain integer is refused rather than guessed at.
    static const QRegularExpression plainInteger(QStringLiteral("^(0|-?[1-9][0-9]{0,9})$"));
    bool ok = plainInteger.match(keyValue).hasMatch();
    const qint64 value = ok ? keyValue.toLongLong(&ok) : 0;
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        throw data::ConversionError(
            QStringLiteral("'%1' no es un valor entero válido").arg(keyValue));
    return qint32(value);
}

}  // namespace app
