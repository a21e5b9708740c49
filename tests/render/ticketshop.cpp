#include "ticketshop.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTime>

#include "data/sqltext.h"

namespace {

QVariantMap merged(QVariantMap defaults, const QVariantMap& columns) {
    for (auto it = columns.begin(); it != columns.end(); ++it)
        defaults.insert(it.key(), it.value());
    return defaults;
}

}  // namespace

QString sqlValue(const QVariant& value) {
    if (value.isNull()) return QStringLiteral("NULL");
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return QString::number(value.toLongLong());
        case QMetaType::Double:
            return QString::number(value.toDouble(), 'g', 17);
        case QMetaType::QDate:
            return data::quotedLiteral(value.toDate().toString(Qt::ISODate));
        case QMetaType::QTime:
            return data::quotedLiteral(value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")));
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            return bytes.isEmpty() ? QStringLiteral("''")
                                   : "x'" + QString::fromLatin1(bytes.toHex()) + "'";
        }
        default:
            return data::quotedLiteral(value.toString());
    }
}

TicketShop::TicketShop()
    : CFormato("CFormato", fdm.Vemtrax),
      CFormdatos("CFormdatos", fdm.Vemtrax),
      CFormlineas("CFormlineas", fdm.Vemtrax),
      CImpfactura("CImpfactura", fdm.Vemtrax),
      CRngfac("CRngfac", fdm.Vemtrax),
      CBorrar("CBorrar", fdm.Vemtrax),
      printer({fdm, CFormato, CFormdatos, CFormlineas, CImpfactura, CRngfac, CBorrar}) {
    CFormato.addDetail(CFormdatos,
                       "SELECT * FROM FORMATO_DATOS WHERE TIDO_COD = :TIDO_COD AND "
                       "PREF_PRE = :PREF_PRE");
    CFormato.addDetail(CFormlineas,
                       "SELECT * FROM FORMATO_LINEAS WHERE TIDO_COD = :TIDO_COD AND "
                       "PREF_PRE = :PREF_PRE");
    // The installation directory that nombre_impresora reads impresoras.cfg from.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settingsDir_.path());
    QSettings(QSettings::NativeFormat, QSettings::SystemScope, "Quolid", "Vemtrax2022")
        .setValue("Directorio", installDir_.path());
    shop.exec("insert into cocina_funciones (cofu_id, cofu_nombre) values (1, 'Cocina')");
}

TicketShop::~TicketShop() {
    fdm.Vemtrax.close();
}

void TicketShop::insert(const QString& table, const QVariantMap& columns) {
    QStringList names;
    QStringList values;
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        names << it.key();
        values << sqlValue(it.value());
    }
    shop.exec("insert into " + table + " (" + names.join(", ") + ") values (" + values.join(", ") +
              ")");
}

void TicketShop::format(const QVariantMap& columns) {
    insert("FORMATOS", merged({{"TIDO_COD", 531},
                               {"PREF_PRE", "CO"},
                               {"FORM_IMPRE", QVariant()},
                               {"FORM_NROITEMS", 10},
                               {"FORM_PAGINAS", "S"},
                               {"FORM_ENTRELINEA", 40},
                               {"FORM_FONT", "Arial"},
                               {"FORM_FSIZE", 10}},
                              columns));
}

void TicketShop::element(const QVariantMap& columns) {
    insert("FORMATO_LINEAS",
           merged({{"TIDO_COD", 531}, {"PREF_PRE", "CO"}, {"FOLI_ITEM", ++elements_}}, columns));
}

void TicketShop::field(const QVariantMap& columns) {
    insert("FORMATO_DATOS",
           merged({{"TIDO_COD", 531}, {"PREF_PRE", "CO"}, {"DAFO_ITEM", ++fields_}}, columns));
}

void TicketShop::order(const QVariantMap& columns) {
    insert("FACTURA_WEB", merged({{"FACW_ID", kOrder},
                                  {"FACW_FECHA", QDate(2026, 12, 11)},
                                  {"PREF_PRE", "CO"},
                                  {"FACW_NUMERO", "00000057"}},
                                 columns));
}

void TicketShop::item(const QString& code, const QVariantMap& columns) {
    insert("ARTICULO", {{"ARTI_COD", code},
                        {"ARTI_DESC", "Plato " + code},
                        {"ARTI_UNIDAD", "und"},
                        {"ARTI_COLAC", kQueue}});
    insert("FACTURA_WEB_DETALLE", merged({{"FACW_ID", kOrder},
                                          {"FAWD_ITEM", ++items_},
                                          {"ARTI_COD", code},
                                          {"FAWD_PEDLISTO", "S"},
                                          {"FAWD_IMPRESO", "N"}},
                                         columns));
}

void TicketShop::audit(const QVariantMap& columns) {
    insert("AUDITORIA", merged({{"TIDO_COD", 531}, {"AUDI_IDDOC", kOrder}}, columns));
}

QString TicketShop::printerMapPath() const {
    return data::Tfdm::installationFile(installDir_.path(), "impresoras.cfg");
}

void TicketShop::printerMap(const QByteArray& content) {
    QFile file(printerMapPath());
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write impresoras.cfg");
    file.write(content);
}

void TicketShop::open() {
    fdm.Vemtrax.setParam("Database", shop.companyDatabase());
    fdm.Vemtrax.setParam("User_Name", TestShop::user());
    fdm.Vemtrax.setParam("Password", TestShop::password());
    fdm.Vemtrax.open();
    CFormato.setCommandText("SELECT * FROM FORMATOS WHERE TIDO_COD = 531 AND PREF_PRE = 'CO'");
    CFormato.open();
    CRngfac.setCommandText(
        QString("SELECT facw_id FROM FACTURA_WEB WHERE facw_id = %1").arg(kOrder));
    CRngfac.open();
    CImpfactura.setCommandText(
        QString("select * from impr_comanda(%1, %2)").arg(kOrder).arg(kQueue));
    CImpfactura.open();
    fdm.statementLog().clear();
}

void TicketShop::runJob() {
    open();
    report.OnBeforePrint = [this](engine::Report&) { printer.RvSystem1BeforePrint(report); };
    report.OnPrint = [this](engine::Report& job) { printer.RvSystem1Print(job); };
    report.RunJob();
}

QStringList TicketShop::statementsContaining(const QString& part) {
    QStringList out;
    for (const QString& statement : fdm.statementLog().entries())
        if (statement.contains(part)) out << statement;
    return out;
}
