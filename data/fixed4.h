#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace data {

// Money, quantities and layout scales: a signed 64-bit count of ten-thousandths.
class Fixed4 {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Fixed4() = default;
    static constexpr Fixed4 fromRaw(std::int64_t raw) { return Fixed4(raw); }
    // The nearest count of ten-thousandths, an exact half going to the even one.
    // Exact for the driver's doubles of NUMERIC(15,4) and NUMERIC(15,2) values.
    static Fixed4 fromDouble(double value);
    // Reads "-1234,5" / "0.0001" style text: optional sign, digits, the given
    // decimal separator, at most four decimals, no group separators. nullopt otherwise.
    static std::optional<Fixed4> parse(QStringView text, QChar decimalSeparator);

    constexpr std::int64_t raw() const { return raw_; }
    double toDouble() const { return double(raw_) / kScale; }
    // All four decimals, e.g. "-2,5000".
    QString toString(QChar decimalSeparator) const;

    friend constexpr bool operator==(Fixed4 a, Fixed4 b) { return a.raw_ == b.raw_; }

private:
    constexpr explicit Fixed4(std::int64_t raw) : raw_(raw) {}
    std::int64_t raw_ = 0;
};

}  // namespace data
