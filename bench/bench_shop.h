#pragma once

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include "testshop.h"

namespace bench {

// The installation directory a benchmark runs against: SERVIDORES.cfg naming
// the shop, impresoras.cfg sending both kitchen formats to the built-in PDF
// printer, and the system settings that point at it (for this process, and as
// an XDG folder for a child process).
class BenchInstallation {
public:
    explicit BenchInstallation(const TestShop& shop) {
        write(QStringLiteral("SERVIDORES.cfg"), shop.serverFolder().toUtf8() + "\r\n");
        write(QStringLiteral("impresoras.cfg"), "COCINA,PDF\r\nBAR,PDF\r\n");
        QDir(xdg_.path()).mkpath(QStringLiteral("Quolid"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, xdg_.path());
        QSettings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Quolid"),
                  QStringLiteral("Vemtrax2022"))
            .setValue(QStringLiteral("Directorio"), directory_.path());
    }
    QString directory() const { return directory_.path(); }
    // What XDG_CONFIG_DIRS must be for a child process to find the directory.
    QString xdgConfigDirs() const { return xdg_.path(); }

private:
    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(directory_.filePath(name));
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }

    QTemporaryDir directory_;
    QTemporaryDir xdg_;
};

// Replaces the demo's orders by `count` orders of today, ids from `firstId`
// on, each with five ready and unprinted items of the kitchen queue (queue 1)
// and one audit row, in one statement.
inline void seedOrders(TestShop& shop, int count, int firstId = 100000, bool replace = true) {
    if (replace) {
        shop.exec(QStringLiteral("DELETE FROM FACTURA_WEB_DETALLE"));
        shop.exec(QStringLiteral("DELETE FROM FACTURA_WEB"));
        shop.exec(QStringLiteral("DELETE FROM AUDITORIA"));
    }
    shop.exec(QStringLiteral(
                  "EXECUTE BLOCK AS DECLARE I INTEGER = 0; DECLARE ID INTEGER; BEGIN "
                  "WHILE (I < %1) DO BEGIN "
                  "  ID = %2 + I; "
                  "  INSERT INTO FACTURA_WEB (FACW_ID, FACW_FECHA, FACW_HORA, PREF_PRE, "
                  "    FACW_NUMERO, CLIENTE, NOMCLIENTE, VEND_COD, NOMVEND, PTOVTA, NOMPTOVTA, "
                  "    FACW_OBS) VALUES (:ID, CURRENT_DATE, TIME '00:00:01', 'CO', "
                  "    LPAD(CAST(:ID AS VARCHAR(8)), 8, '0'), '222222222', 'Mesa ' || MOD(:ID, 30) "
                  "|| ' - Salón', "
                  "    7, 'María José Peña', 1, 'Salón principal', "
                  "    'Sin sal en la ensalada, la carne al punto y el postre al final.'); "
                  "  INSERT INTO FACTURA_WEB_DETALLE (FACW_ID, FAWD_ITEM, ARTI_COD, FAWD_CANT, "
                  "    FAWD_PRUNIT, FAWD_REFERENCIA, FAWD_CAMBIOS, FAWD_PEDLISTO, FAWD_IMPRESO, "
                  "    FAWD_HORA) SELECT :ID, R, 'C00' || R, R, 7.50, 'Silla ' || R, "
                  "    IIF(R = 2, 'Sin cebolla', NULL), 'S', 'N', TIME '00:00:01' FROM "
                  "    (SELECT 1 R FROM RDB$DATABASE UNION ALL SELECT 2 FROM RDB$DATABASE "
                  "     UNION ALL SELECT 3 FROM RDB$DATABASE UNION ALL SELECT 4 FROM RDB$DATABASE "
                  "     UNION ALL SELECT 5 FROM RDB$DATABASE); "
                  "  INSERT INTO AUDITORIA (TIDO_COD, AUDI_IDDOC, AUDI_FECHA, AUDI_HORA, "
                  "    AUDI_USUARIO, AUDI_ACCION) VALUES (531, :ID, CURRENT_DATE, "
                  "    TIME '00:00:01', 'MJPEÑA', 'CREAR'); "
                  "  I = I + 1; "
                  "END END")
                  .arg(count)
                  .arg(firstId));
}

// Every seeded item pending again, so that the next pass prints them all.
inline void resetPrinted(TestShop& shop) {
    shop.exec(QStringLiteral("UPDATE FACTURA_WEB_DETALLE SET FAWD_IMPRESO = 'N'"));
}

inline double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

}  // namespace bench
