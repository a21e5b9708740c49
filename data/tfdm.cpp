#include "tfdm.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include "configfiles.h"
#include "messages.h"

namespace data {
namespace {
const QString kMissingKeyMessage = QStringLiteral(
    "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Quolid\\Vemtrax2022\\Directorio");
}

Tfdm::Tfdm()
    : ConGeneral(QStringLiteral("ConGeneral"), log_),
      Vemtrax(QStringLiteral("Vemtrax"), log_),
      CConfiguracion(QStringLiteral("CConfiguracion"), Vemtrax) {
    CConfiguracion.setCommandText(QStringLiteral("SELECT * FROM CONFIGURACION"));
    // Design-time defaults; the login replaces all three before connecting.
    for (SqlConnection* connection : {&ConGeneral, &Vemtrax}) {
        connection->setParam(QStringLiteral("User_Name"), QStringLiteral("SYSDBA"));
        connection->setParam(QStringLiteral("Password"), QStringLiteral("masterkey"));
    }
    ConGeneral.setParam(QStringLiteral("Database"), QStringLiteral("datos/general.fdb"));
    Vemtrax.setParam(QStringLiteral("Database"), QStringLiteral("datos/01/vemtrax.fdb"));
}

void Tfdm::cargue_configuracion() {
    if (CConfiguracion.isOpen()) CConfiguracion.close();
    CConfiguracion.open();
    CConfiguracion.last();
}

QString Tfdm::diraplicacion() const {
    // The suite's installation directory lives in the system-wide settings of
    // "Quolid"/"Vemtrax2022" (the registry on Windows, an XDG .conf file here).
    QSettings settings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Quolid"),
                       QStringLiteral("Vemtrax2022"));
    if (settings.allKeys().isEmpty()) {
        showMessage(kMissingKeyMessage);
        return QString();
    }
    return settings.value(QStringLiteral("Directorio")).toString();
}

QString Tfdm::installationFile(const QString& directory, const QString& fileName) {
    return directory + QDir::separator() + fileName;
}

QString Tfdm::nombre_impresora(const QString& key) const {
    const QString path = installationFile(diraplicacion(), QStringLiteral("impresoras.cfg"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(QStringLiteral("Error abriendo el archivo") + path);
        return QString();
    }
    return findPrinterName(file.readAll(), key);
}

}  // namespace data
