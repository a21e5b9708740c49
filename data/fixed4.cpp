#include "fixed4.h"

#include <cmath>
#include <limits>

namespace data {

Fixed4 Fixed4::fromDouble(double value) {
    // nearbyint rounds halves to even under the default rounding mode.
    const double scaled = std::nearbyint(value * double(kScale));
    if (!(std::fabs(scaled) < 9.2e18)) return Fixed4(0);
    return Fixed4(std::int64_t(scaled));
}

std::optional<Fixed4> Fixed4::parse(QStringView text, QChar decimalSeparator) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // The largest whole part whose four decimals still fit in 64 bits.
    constexpr std::int64_t kMaxWhole =
        (std::numeric_limits<std::int64_t>::max() - (kScale - 1)) / kScale;
    std::int64_t whole = 0;
    int wholeDigits = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i, ++wholeDigits) {
        const int digit = text[i].unicode() - '0';
        whole = whole * 10 + digit;
        if (whole > kMaxWhole) return std::nullopt;
    }
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    if (i < text.size() && text[i] == decimalSeparator) {
        for (++i; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
            if (++fractionDigits > 4) return std::nullopt;
            fraction = fraction * 10 + (text[i].unicode() - '0');
        }
    }
    if (i != text.size() || wholeDigits + fractionDigits == 0) return std::nullopt;
    for (int d = fractionDigits; d < 4; ++d)
        fraction *= 10;
    const std::int64_t raw = whole * kScale + fraction;
    return Fixed4(negative ? -raw : raw);
}

QString Fixed4::toString(QChar decimalSeparator) const {
    const bool negative = raw_ < 0;
    // Work on the magnitude as unsigned so the most negative value is no UB.
    const std::uint64_t magnitude =
        negative ? std::uint64_t(0) - std::uint64_t(raw_) : std::uint64_t(raw_);
    QString out = QString::number(magnitude / kScale) + decimalSeparator +
                  QString::number(magnitude % kScale).rightJustified(4, '0');
    return negative ? '-' + out : out;
}

}  // namespace data
