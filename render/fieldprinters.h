#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "engine/report.h"

namespace data {
class DataSet;
}

namespace render {

// Which characters of a text value a field prints: DAFO_INI (first character,
// counted from 1) and DAFO_LONG (how many). NULL is nullopt.
struct TextWindow {
    std::optional<qint64> ini;
    std::optional<qint64> length;
};

// DAFO_INI and DAFO_LONG of the current row of CFormdatos.
TextWindow textWindowOf(const data::DataSet& CFormdatos);

// The part of `value` the window selects. Length NULL or 0: the whole value.
// Start below 1 (or NULL): the first character. Start past the end or a
// negative length: empty. Counts characters (code points), not bytes.
QString cutText(const QString& value, TextWindow window);

// Text field: the window's part of `value`, left-aligned from x, baseline on y
// (inches). Printed even when empty. The caller has set the font.
void imprima_cadena(engine::Report& report, const QString& value, double x, double y,
                    TextWindow window);

// Number field: `value` as the data layer writes a decimal (the locale's decimal
// separator, at most four decimals) printed right-aligned so it ends at x, with
// the decimals `decimals` asks for, in the number or currency format of the
// regional settings. An empty value prints nothing; a value that is not a
// number throws data::ConversionError.
void imprima_numero(engine::Report& report, const QString& value, double x, double y, bool currency,
                    const QString& decimals);

}  // namespace render
