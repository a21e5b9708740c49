#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

#include "data/dataset.h"
#include "data/tfdm.h"
#include "recording_report.h"
#include "render/ticket.h"
#include "testshop.h"

// A company database on the real server with one ticket format (prefix "CO")
// and one order (57, queue 1), the window's data sets opened on it through the
// real data layer, and a TicketPrinter drawing into a recording report.
// Rows are given as column → value maps; a null QVariant is SQL NULL.
class TicketShop {
public:
    static constexpr int kOrder = 57;
    static constexpr int kQueue = 1;

    TicketShop();
    ~TicketShop();

    // FORMATOS row; unnamed columns take a plain default format.
    void format(const QVariantMap& columns = {});
    void element(const QVariantMap& columns);  // FORMATO_LINEAS, FOLI_ITEM numbered
    void field(const QVariantMap& columns);    // FORMATO_DATOS, DAFO_ITEM numbered
    // FACTURA_WEB row of order 57; unnamed columns take the values of a plain order.
    void order(const QVariantMap& columns = {});
    // One ready, unprinted item of order 57 on queue 1 (its own article, code `code`).
    void item(const QString& code, const QVariantMap& columns = {});
    void audit(const QVariantMap& columns);  // AUDITORIA row
    // impresoras.cfg in the installation directory (absent until written).
    void printerMap(const QByteArray& content);
    QString printerMapPath() const;

    // Opens the data sets as the print cycle leaves them for a job.
    void open();
    // open(), then one job through RvSystem1BeforePrint and RvSystem1Print.
    void runJob();

    // The statements sent since open() that contain `part`, in order.
    QStringList statementsContaining(const QString& part);

    TestShop shop;
    data::Tfdm fdm;
    data::DataSet CFormato;
    data::DataSet CFormdatos;
    data::DataSet CFormlineas;
    data::DataSet CImpfactura;
    data::DataSet CRngfac;
    data::DataSet CBorrar;
    render::TicketPrinter printer;
    RecordingReport report;

private:
    void insert(const QString& table, const QVariantMap& columns);
    QTemporaryDir settingsDir_;
    QTemporaryDir installDir_;
    int elements_ = 0;
    int fields_ = 0;
    int items_ = 0;
};

// SQL literal of a test value: NULL, a number, a quoted text, a date, bytes.
QString sqlValue(const QVariant& value);
