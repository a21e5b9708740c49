#pragma once

#include <QString>

#include "dataset.h"
#include "sqlconnection.h"

namespace data {

// The data module: the two connections, the configuration set, and the two
// lookups in the installation directory.
class Tfdm {
public:
    Tfdm();

    StatementLog& statementLog() { return log_; }

    // Re-reads CONFIGURACION, leaving the cursor on its last row.
    void cargue_configuracion();

    // The suite's installation directory, or empty text after showing the
    // missing-key message.
    QString diraplicacion() const;
    // The printer impresoras.cfg maps `key` to; empty when none (after a message
    // when the file cannot be opened).
    QString nombre_impresora(const QString& key) const;

    // Installation directory + native separator + file name.
    static QString installationFile(const QString& directory, const QString& fileName);

private:
    StatementLog log_;

public:
    SqlConnection ConGeneral;
    SqlConnection Vemtrax;
    DataSet CConfiguracion;
};

}  // namespace data
