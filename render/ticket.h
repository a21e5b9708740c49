#pragma once

#include <QString>
#include <optional>

#include "data/dataset.h"
#include "data/fixed4.h"
#include "data/tfdm.h"
#include "engine/report.h"

namespace render {

// The window's data sets that a print job reads.
struct TicketSources {
    data::Tfdm& fdm;          // nombre_impresora
    data::DataSet& CFormato;  // format rows; CFormdatos and CFormlineas are its nested sets
    data::DataSet& CFormdatos;
    data::DataSet& CFormlineas;
    data::DataSet& CImpfactura;  // the order's ticket rows (IMPR_COMANDA)
    data::DataSet& CRngfac;      // current row = the order being printed (FACW_ID)
    data::DataSet& CBorrar;      // statement runner for the audit lookups
};

// Draws one kitchen ticket per print job from the loaded format. The window
// binds RvSystem1BeforePrint and RvSystem1Print to the engine's callbacks.
class TicketPrinter {
public:
    explicit TicketPrinter(TicketSources sources);

    // Printer from impresoras.cfg, paper size of the format, job title.
    void RvSystem1BeforePrint(engine::ReportSystem& job);
    // Scale from the page, then the header and the item lines.
    void RvSystem1Print(engine::Report& job);

    // Everything on a page that is not an item line, on the current page.
    // Reads the current row of CImpfactura and never moves it.
    void imprime_encabezado(engine::Report& report);
    // Every item line of the order, with its page breaks (each followed by the header).
    void imprime_detalle(engine::Report& report);

    data::Fixed4 escala_x() const { return escala_x_; }
    data::Fixed4 escala_y() const { return escala_y_; }

private:
    struct Box {
        double x, y, w, h;
    };
    Box elementBox() const;
    double fieldX() const;
    double fieldY() const;
    void setElementFont(engine::Report& report);
    void setFieldFont(engine::Report& report);

    void drawHeaderElements(engine::Report& report);
    void drawHeaderTexts(engine::Report& report);
    void drawHeaderFields(engine::Report& report);
    // The text a header key prints; nullopt when it prints nothing.
    std::optional<QString> headerValue(const QString& key);
    QString latestAuditValue(const QString& statementStart);

    void drawItemLine(engine::Report& report, double offset);
    void drawItemElements(engine::Report& report, double offset);
    void drawItemFields(engine::Report& report, double offset);

    TicketSources s_;
    data::Fixed4 escala_x_;
    data::Fixed4 escala_y_;
};

}  // namespace render
