#include "ticket.h"

#include <QDate>
#include <algorithm>
#include <limits>

#include "data/clock.h"
#include "data/regional.h"
#include "fieldprinters.h"
#include "layout.h"
#include "picture.h"

namespace render {
namespace {

const QString kYes = QStringLiteral("S");
const QString kNo = QStringLiteral("N");

// Day zero of the calendar the shop's dates count from: what a NULL date shows.
const QDate kDayZero(1899, 12, 30);
const QString kLongDateFormat = QStringLiteral("dddd, MMMM d, yyyy");

const QString kTitlePrefix = QStringLiteral("Impresion comanda ");
const QString kAuditOrder = QStringLiteral(" order by audi_id desc");

struct ColumnKey {
    const char* key;
    const char* column;
};

// Header keys whose value is an order column exactly as the data layer writes it.
constexpr ColumnKey kHeaderTextKeys[] = {
    {"PREFIJO", "PREF"},
    {"NUMERO", "NUMERO"},
    {"FECHA", "FECHA"},
    {"NIT", "CLIENTE"},
    {"CLIENTE NOMBRE", "NOMCLIENTE"},
    {"NOMBRE VENDEDOR", "NOMVEND"},
    {"NOMBRE PUNTO VENTA", "NOMPTOVTA"},
    {"OBSERVACIONES", "OBS"},
};
constexpr ColumnKey kHeaderIntegerKeys[] = {{"VENDEDOR", "VEND"}, {"PUNTO DE VENTA", "PTOVTA"}};

struct AuditKey {
    const char* key;
    const char* statementStart;
};
constexpr AuditKey kAuditKeys[] = {
    {"FECHA REGISTRO", "select audi_fecha from auditoria where tido_cod = 531 and audi_iddoc = "},
    {"HORA REGISTRO",
     "select substring(audi_hora from 1 for 8) from auditoria where tido_cod = 531 and "
     "audi_iddoc = "},
    {"USUARIO REGISTRO",
     "select audi_usuario from auditoria where tido_cod = 531 and audi_iddoc = "},
};

enum class ItemPrinter { Text, Number, Currency };
struct ItemKey {
    const char* key;
    const char* column;
    ItemPrinter printer;
};
constexpr ItemKey kItemKeys[] = {
    {"ARTICULO CODIGO", "ARTICULO", ItemPrinter::Text},
    {"ARTICULO DESCRIPCION", "DESCRIPCION", ItemPrinter::Text},
    {"CANTIDAD", "CANT", ItemPrinter::Number},
    {"UNIDAD", "UNIDAD", ItemPrinter::Text},
    {"PRECIO UNITARIO", "PRUNIT", ItemPrinter::Currency},
    {"REFERENCIA ITEM", "REFERENCIA", ItemPrinter::Text},
    {"CAMBIOS ENSAMBLE", "CAMBIOS", ItemPrinter::Text},
};

template <typename Entry, std::size_t N>
const Entry* findKey(const Entry (&table)[N], const QString& key) {
    const auto it = std::find_if(std::begin(table), std::end(table), [&](const Entry& entry) {
        return key == QLatin1String(entry.key);
    });
    return it == std::end(table) ? nullptr : it;
}

// The printer list compares names without regard to letter case; first match wins.
int printerIndex(const QStringList& printers, const QString& name) {
    for (qsizetype i = 0; i < printers.size(); ++i)
        if (printers[i].compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

// Line spacing is a 32-bit column; keeping it there keeps spacing × line in 64 bits.
qint64 asInt32(qint64 value) {
    return std::clamp<qint64>(value, std::numeric_limits<qint32>::min(),
                              std::numeric_limits<qint32>::max());
}

// Reopening CBorrar for a lookup must leave it closed whatever happens.
class ClosesOnExit {
public:
    explicit ClosesOnExit(data::DataSet& set) : set_(set) {}
    ~ClosesOnExit() { set_.close(); }
    ClosesOnExit(const ClosesOnExit&) = delete;
    ClosesOnExit& operator=(const ClosesOnExit&) = delete;

private:
    data::DataSet& set_;
};

}  // namespace

TicketPrinter::TicketPrinter(TicketSources sources) : s_(sources) {}

// ---- job preparation ----------------------------------------------------------

void TicketPrinter::RvSystem1BeforePrint(engine::ReportSystem& job) {
    const QStringList printers = job.Printers();

    const QString key = s_.CFormato.text("FORM_IMPRE");
    if (!key.isEmpty()) {
        const QString name = s_.fdm.nombre_impresora(key);
        if (!name.isEmpty()) job.SelectPrinter(printerIndex(printers, name));
    }

    // Paper follows the printer choice so that it is set on that printer.
    if (!s_.CFormato.text("FORM_PAPELAN").isEmpty() && !s_.CFormato.text("FORM_PAPELAL").isEmpty())
        job.SetPaperSize(s_.CFormato.decimal("FORM_PAPELAN")->toDouble(),
                         s_.CFormato.decimal("FORM_PAPELAL")->toDouble());

    job.SetTitle(kTitlePrefix + QString::number(s_.CRngfac.integer("FACW_ID")));
}

void TicketPrinter::RvSystem1Print(engine::Report& job) {
    escala_y_ = layoutScale(job.PageHeight(), kLayoutHeight);
    escala_x_ = layoutScale(job.PageWidth(), kLayoutWidth);
    imprime_encabezado(job);
    imprime_detalle(job);
}

// ---- positions and fonts of the current format rows --------------------------

TicketPrinter::Box TicketPrinter::elementBox() const {
    const data::DataSet& element = s_.CFormlineas;
    return Box{toInches(element.integer("FOLI_POSX"), escala_x_),
               toInches(element.integer("FOLI_POSY"), escala_y_),
               toInches(element.integer("FOLI_X"), escala_x_),
               toInches(element.integer("FOLI_Y"), escala_y_)};
}

double TicketPrinter::fieldX() const {
    return toInches(s_.CFormdatos.integer("DAFO_POSX"), escala_x_);
}
double TicketPrinter::fieldY() const {
    return toInches(s_.CFormdatos.integer("DAFO_POSY"), escala_y_);
}

void TicketPrinter::setElementFont(engine::Report& report) {
    const ResolvedFont font =
        resolveFont(s_.CFormlineas.text("FOLI_FONT"), s_.CFormlineas.optionalInteger("FOLI_FSIZE"),
                    s_.CFormato.text("FORM_FONT"), s_.CFormato.optionalInteger("FORM_FSIZE"));
    report.SetFont(font.face, font.size);
}

void TicketPrinter::setFieldFont(engine::Report& report) {
    const ResolvedFont font =
        resolveFont(s_.CFormdatos.text("DAFO_FONT"), s_.CFormdatos.optionalInteger("DAFO_FSIZE"),
                    s_.CFormato.text("FORM_FONT"), s_.CFormato.optionalInteger("FORM_FSIZE"));
    report.SetFont(font.face, font.size);
}

// ---- header -------------------------------------------------------------------

void TicketPrinter::imprime_encabezado(engine::Report& report) {
    report.SetPen(engine::PenStyle::Solid, 2);
    drawHeaderElements(report);
    drawHeaderTexts(report);
    drawHeaderFields(report);
}

// An element below the sheet starts a new page before anything else is looked
// at, even when it is not drawn in this pass.
void TicketPrinter::drawHeaderElements(engine::Report& report) {
    data::DataSet& elements = s_.CFormlineas;
    for (elements.first(); !elements.eof(); elements.next()) {
        const Box b = elementBox();
        if (b.y > report.PageHeight()) report.NewPage();
        if (elements.text("FOLI_LIQUIDA") == kYes) continue;
        const QString kind = elements.text("FOLI_TIPO");
        if (kind == "L") {
            report.MoveTo(b.x, b.y);
            report.LineTo(b.x + b.w, b.y + b.h);
        } else if (kind == "C") {
            report.Rectangle(b.x, b.y, b.x + b.w, b.y + b.h);
        } else if (kind == "G") {
            // Pictures always stretch to the point one inch from the top-left corner.
            report.StretchImage(b.x, b.y, 1.0, 1.0, decodePicture(elements.bytes("FOLI_IMAGEN")));
        }
    }
}

void TicketPrinter::drawHeaderTexts(engine::Report& report) {
    data::DataSet& elements = s_.CFormlineas;
    for (elements.first(); !elements.eof(); elements.next()) {
        const Box b = elementBox();
        if (b.y > report.PageHeight()) report.NewPage();
        if (elements.text("FOLI_LIQUIDA") == kYes || elements.text("FOLI_TIPO") != "T") continue;
        setElementFont(report);
        report.PrintAt(b.x, b.y, elements.text("FOLI_CADENA"));
    }
}

void TicketPrinter::drawHeaderFields(engine::Report& report) {
    data::DataSet& fields = s_.CFormdatos;
    for (fields.first(); !fields.eof(); fields.next()) {
        if (fields.text("DAFO_IMPRIME") != kYes || fields.text("DAFO_REPITE") != kNo ||
            fields.text("DAFO_LIQUIDA") == kYes)
            continue;
        const double x = fieldX();
        const double y = fieldY();
        // The font is set for every header row, also for keys that print nothing.
        setFieldFont(report);
        if (const auto value = headerValue(fields.text("DAFO_DATO")))
            imprima_cadena(report, *value, x, y, textWindowOf(fields));
    }
}

std::optional<QString> TicketPrinter::headerValue(const QString& key) {
    const data::DataSet& order = s_.CImpfactura;
    if (const ColumnKey* k = findKey(kHeaderTextKeys, key)) return order.text(k->column);
    if (const ColumnKey* n = findKey(kHeaderIntegerKeys, key))
        return QString::number(order.integer(n->column));
    if (key == QLatin1String("FECHA LETRAS")) {
        const QDate date = order.isNull("FECHA") ? kDayZero : order.date("FECHA");
        return data::regional::locale().toString(date, kLongDateFormat);
    }
    if (key == QLatin1String("HORA COMANDA"))
        return data::regional::longTime(data::clock::now().time());
    if (const AuditKey* a = findKey(kAuditKeys, key)) {
        QString audited = latestAuditValue(QLatin1String(a->statementStart));
        if (!audited.isEmpty()) return audited;
    }
    return std::nullopt;
}

// The first column of the order's latest audit row of document type 531, or
// empty text when there is none.
QString TicketPrinter::latestAuditValue(const QString& statementStart) {
    data::DataSet& lookup = s_.CBorrar;
    lookup.close();
    const ClosesOnExit closer(lookup);
    lookup.setCommandText(statementStart + QString::number(s_.CRngfac.integer("FACW_ID")) +
                          kAuditOrder);
    lookup.open();
    if (lookup.recordCount() <= 0) return QString();
    lookup.first();
    return lookup.text(lookup.fieldNames().value(0));
}

// ---- detail ---------------------------------------------------------------------

void TicketPrinter::imprime_detalle(engine::Report& report) {
    const qint64 itemsPerPage = s_.CFormato.integer("FORM_NROITEMS");
    const bool continuesOnNewPage = s_.CFormato.text("FORM_PAGINAS") == kYes;
    // With no room for an item, continuing pages would never end: one item a page then.
    const qint64 capacity = continuesOnNewPage ? std::max<qint64>(itemsPerPage, 1) : itemsPerPage;
    const qint64 spacing = asInt32(s_.CFormato.integer("FORM_ENTRELINEA"));

    data::DataSet& items = s_.CImpfactura;
    qint64 items_pagina = 0;
    items.first();
    while (!items.eof()) {
        if (items_pagina < capacity) {
            // The offset is whole layout units first, converted once.
            drawItemLine(report, toInches(spacing * items_pagina, escala_y_));
            ++items_pagina;
            items.next();
        } else if (continuesOnNewPage) {
            report.NewPage();
            items_pagina = 0;
            imprime_encabezado(report);
        } else {
            items.next();  // no room and no new page: the item is left off
        }
    }
}

void TicketPrinter::drawItemLine(engine::Report& report, double offset) {
    drawItemElements(report, offset);
    drawItemFields(report, offset);
}

void TicketPrinter::drawItemElements(engine::Report& report, double offset) {
    data::DataSet& elements = s_.CFormlineas;
    for (elements.first(); !elements.eof(); elements.next()) {
        if (elements.text("FOLI_LIQUIDA") == kYes || elements.text("FOLI_REPITE") != kYes) continue;
        const Box b = elementBox();
        const QString kind = elements.text("FOLI_TIPO");
        if (kind == "L") {
            report.MoveTo(b.x, b.y + offset);
            report.LineTo(b.x + b.w, b.y + offset + b.h);
        } else if (kind == "C") {
            report.Rectangle(b.x, b.y + offset, b.x + b.w, b.y + offset + b.h);
        } else if (kind == "T") {
            setElementFont(report);
            report.PrintAt(b.x, b.y + offset, elements.text("FOLI_CADENA"));
        }
        // Pictures belong to the header only.
    }
}

void TicketPrinter::drawItemFields(engine::Report& report, double offset) {
    data::DataSet& fields = s_.CFormdatos;
    const data::DataSet& item = s_.CImpfactura;
    for (fields.first(); !fields.eof(); fields.next()) {
        if (fields.text("DAFO_IMPRIME") != kYes || fields.text("DAFO_REPITE") != kYes ||
            fields.text("DAFO_LIQUIDA") == kYes)
            continue;
        const double x = fieldX();
        const double y = fieldY() + offset;
        setFieldFont(report);
        const ItemKey* key = findKey(kItemKeys, fields.text("DAFO_DATO"));
        if (!key) continue;
        const QString value = item.text(key->column);
        if (key->printer == ItemPrinter::Text)
            imprima_cadena(report, value, x, y, textWindowOf(fields));
        else
            imprima_numero(report, value, x, y, key->printer == ItemPrinter::Currency,
                           fields.text("DAFO_FORMATO"));
    }
}

}  // namespace render
