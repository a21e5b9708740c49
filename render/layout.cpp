#include "layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace render {
namespace {

// Page sizes are decimal inches, which binary doubles hold only approximately:
// 3.075 in / 1500 is 20.5 ten-thousandths on paper but 20.49999... in double.
// A quotient this close to a half is taken as the half it stands for.
constexpr double kHalfTolerance = 1e-9;

double roundHalfToEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (std::fabs(fraction - 0.5) <= kHalfTolerance)
        return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
    return std::nearbyint(value);
}

int clampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

}  // namespace

data::Fixed4 layoutScale(double pageInches, int units) {
    if (units <= 0 || !std::isfinite(pageInches)) return data::Fixed4();
    // Multiplying first keeps the exact halves of short decimal sizes exact.
    const double tenThousandths = roundHalfToEven(pageInches * data::Fixed4::kScale / units);
    constexpr double kLimit = 9.0e18;  // inside the 64-bit count
    return data::Fixed4::fromRaw(std::int64_t(std::clamp(tenThousandths, -kLimit, kLimit)));
}

double toInches(qint64 layoutValue, data::Fixed4 scale) {
    // One rounding only: the product of two integers below 2^53 is exact in double.
    return double(layoutValue) * double(scale.raw()) / double(data::Fixed4::kScale);
}

ResolvedFont resolveFont(const QString& ownFace, std::optional<qint64> ownSize,
                         const QString& formatFace, std::optional<qint64> formatSize) {
    return ResolvedFont{ownFace.isEmpty() ? formatFace : ownFace,
                        clampToInt(ownSize ? *ownSize : formatSize.value_or(0))};
}

}  // namespace render
