#pragma once

#include <QLocale>
#include <QString>

#include "data/fixed4.h"

namespace render {

// More decimals than this are never written.
inline constexpr int kMaxDecimals = 18;

// The decimals a field's DAFO_FORMATO asks for: an integer written with an
// optional sign and decimal digits, blanks around it allowed; anything else
// (empty, a mask such as "#,##0.00") means 2. Huge values saturate.
int decimalsFrom(const QString& formatText);

// `value` rounded to `decimals` places (half to even on the magnitude, no minus
// sign on a zero) in the locale's number format: group separator every three
// digits, decimal separator. Decimals below 0 round to whole units; above 18
// count as 18. Decimals beyond the four held are zeros.
QString formatNumber(data::Fixed4 value, int decimals, const QLocale& locale);

// The same digits placed in the locale's currency pattern, with its currency
// symbol and its patterns for positive and negative amounts.
QString formatCurrency(data::Fixed4 value, int decimals, const QLocale& locale);

}  // namespace render
