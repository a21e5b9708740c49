#include "fieldprinters.h"

#include <algorithm>

#include "data/dataset.h"
#include "data/errors.h"
#include "data/fixed4.h"
#include "data/regional.h"
#include "numberformat.h"

namespace render {

TextWindow textWindowOf(const data::DataSet& CFormdatos) {
    return TextWindow{CFormdatos.optionalInteger("DAFO_INI"),
                      CFormdatos.optionalInteger("DAFO_LONG")};
}

namespace {

// UTF-16 offset after `characters` code points from `from` (or the end), so a
// character outside the BMP counts as one and is never split in half.
qsizetype advance(const QString& text, qsizetype from, qint64 characters) {
    qsizetype at = from;
    for (; characters > 0 && at < text.size(); --characters)
        at += text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()
                  ? 2
                  : 1;
    return at;
}

}  // namespace

QString cutText(const QString& value, TextWindow window) {
    const qint64 length = window.length.value_or(0);
    if (length == 0) return value;
    if (length < 0) return QString();
    const qint64 start = std::max<qint64>(window.ini.value_or(0), 1);
    const qsizetype begin = advance(value, 0, start - 1);
    return value.sliced(begin, advance(value, begin, length) - begin);
}

void imprima_cadena(engine::Report& report, const QString& value, double x, double y,
                    TextWindow window) {
    report.PrintAt(x, y, cutText(value, window));
}

void imprima_numero(engine::Report& report, const QString& value, double x, double y, bool currency,
                    const QString& decimals) {
    if (value.isEmpty()) return;
    const int places = decimalsFrom(decimals);
    const std::optional<data::Fixed4> number =
        data::Fixed4::parse(value, data::regional::decimalSeparator());
    if (!number)
        throw data::ConversionError(
            QStringLiteral("'%1' no es un valor numérico válido").arg(value));
    const QLocale locale = data::regional::locale();
    report.PrintRightAt(
        x, y,
        currency ? formatCurrency(*number, places, locale) : formatNumber(*number, places, locale));
}

}  // namespace render
