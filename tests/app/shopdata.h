#pragma once

#include <QDate>
#include <QString>

#include "testshop.h"

// A small shop for the cycle's tests: queues 1 COCINA and 2 BAR, articles of
// both, the active prefix CO with a one-field format (the order number), so
// each ticket is a single recorded PrintAt.
inline void seedSmallShop(TestShop& shop) {
    shop.exec("insert into cocina_funciones values (1, 'COCINA')");
    shop.exec("insert into cocina_funciones values (2, 'BAR')");
    shop.exec("insert into articulo (arti_cod, arti_desc, arti_colac) values ('A1', 'Ñoquis', 1)");
    shop.exec("insert into articulo (arti_cod, arti_desc, arti_colac) values ('A2', 'Sopa', 1)");
    shop.exec("insert into articulo (arti_cod, arti_desc, arti_colac) values ('B1', 'Café', 2)");
    shop.exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (531, 'CO', 'S')");
    shop.exec(
        "insert into formatos (tido_cod, pref_pre, form_nroitems, form_paginas, "
        "form_entrelinea, form_font, form_fsize) values (531, 'CO', 10, 'S', 40, 'DejaVu Sans', "
        "9)");
    shop.exec(
        "insert into formato_datos (tido_cod, pref_pre, dafo_item, dafo_dato, dafo_imprime, "
        "dafo_posx, dafo_posy, dafo_repite) values (531, 'CO', 1, 'NUMERO', 'S', 100, 100, 'N')");
}

inline void addOrder(TestShop& shop, int id, const QDate& date) {
    shop.exec(QString("insert into factura_web (facw_id, facw_fecha, pref_pre, facw_numero) "
                      "values (%1, '%2', 'CO', 'N%1')")
                  .arg(id)
                  .arg(date.toString("yyyy-MM-dd")));
}

// One item of an order; ready and printed are "S"/"N"; time as 'HH:MM:SS' or NULL.
inline void addItem(TestShop& shop, int order, int item, const QString& article,
                    const QString& ready, const QString& printed, const QString& time) {
    shop.exec(
        QString("insert into factura_web_detalle (facw_id, fawd_item, arti_cod, fawd_cant, "
                "fawd_pedlisto, fawd_impreso, fawd_hora) values (%1, %2, '%3', 1, '%4', "
                "'%5', %6)")
            .arg(order)
            .arg(item)
            .arg(article, ready, printed, time.isEmpty() ? QString("null") : "'" + time + "'"));
}

inline QString printedFlag(TestShop& shop, int order, int item) {
    return shop
        .scalar(QString("select fawd_impreso from factura_web_detalle where facw_id = %1 and "
                        "fawd_item = %2")
                    .arg(order)
                    .arg(item))
        .toString()
        .trimmed();
}
