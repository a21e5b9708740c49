#include "numberformat.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace render {
namespace {

struct RoundedNumber {
    bool negative = false;
    QString integerDigits;   // ASCII, no leading zeros except a lone "0"
    QString fractionDigits;  // exactly the requested decimals
};

std::uint64_t powerOfTen(int exponent) {
    std::uint64_t result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

RoundedNumber roundTo(data::Fixed4 value, int decimals) {
    constexpr int kHeld = 4;
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    const bool negative = value.raw() < 0;
    // The magnitude as unsigned, so the most negative count is no overflow.
    std::uint64_t magnitude =
        negative ? std::uint64_t(0) - std::uint64_t(value.raw()) : std::uint64_t(value.raw());
    const int kept = std::min(decimals, kHeld);
    const std::uint64_t divisor = powerOfTen(kHeld - kept);
    const std::uint64_t remainder = magnitude % divisor;
    magnitude /= divisor;
    if (2 * remainder > divisor || (2 * remainder == divisor && magnitude % 2 == 1)) ++magnitude;

    const std::uint64_t unit = powerOfTen(kept);
    RoundedNumber rounded;
    rounded.negative = negative && magnitude != 0;
    rounded.integerDigits = QString::number(magnitude / unit);
    if (kept > 0)
        rounded.fractionDigits = QString::number(magnitude % unit).rightJustified(kept, '0');
    rounded.fractionDigits += QString(decimals - kept, '0');
    return rounded;
}

QString grouped(const QString& digits, const QString& separator) {
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

QString unsignedText(const RoundedNumber& number, const QLocale& locale) {
    QString text = grouped(number.integerDigits, locale.groupSeparator());
    if (!number.fractionDigits.isEmpty()) text += locale.decimalPoint() + number.fractionDigits;
    return text;
}

QString currencySymbolOf(const QLocale& locale) {
    const QString symbol = locale.currencySymbol();
    return symbol.isEmpty() ? locale.currencySymbol(QLocale::CurrencyIsoCode) : symbol;
}

// Qt keeps the locale's currency patterns to itself; they show through
// toCurrencyString of a probe amount with a marker symbol, where the probe's
// digits and the marker are then swapped for our digits and the real symbol.
QString placeInCurrencyPattern(const QLocale& locale, bool negative, const QString& digits) {
    static const QString kMarker(QChar(0xFDD0));  // a noncharacter: never in a locale's pattern
    constexpr qlonglong kProbe = 7;
    const QString probeDigits = locale.toString(kProbe);
    const QString probe = locale.toCurrencyString(negative ? -kProbe : kProbe, kMarker);
    const QString symbol = currencySymbolOf(locale);
    if (probe.count(kMarker) == 1 && probe.count(probeDigits) == 1) {
        QString placed = probe;
        placed.replace(probeDigits, digits);
        return placed.replace(kMarker, symbol);
    }
    return (negative ? locale.negativeSign() : QString()) + symbol + digits;
}

}  // namespace

int decimalsFrom(const QString& formatText) {
    constexpr int kDefault = 2;
    const QString text = formatText.trimmed();
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size()) return kDefault;
    constexpr qint64 kSaturation = qint64(std::numeric_limits<int>::max());
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9') return kDefault;
        value = std::min(value * 10 + (c - '0'), kSaturation);
    }
    return int(negative ? -value : value);
}

QString formatNumber(data::Fixed4 value, int decimals, const QLocale& locale) {
    const RoundedNumber number = roundTo(value, decimals);
    const QString text = unsignedText(number, locale);
    return number.negative ? locale.negativeSign() + text : text;
}

QString formatCurrency(data::Fixed4 value, int decimals, const QLocale& locale) {
    const RoundedNumber number = roundTo(value, decimals);
    return placeInCurrencyPattern(locale, number.negative, unsignedText(number, locale));
}

}  // namespace render
