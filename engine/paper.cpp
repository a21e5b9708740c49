#include "engine/paper.h"

#include <QSizeF>
#include <cmath>

namespace engine {

int tenthsOfMillimetre(double inches) {
    const double tenths = inches * 254.0;
    const double below = std::floor(tenths);
    // Decimal inches rarely land on an exact half in binary, so a half is
    // recognised within a tolerance far below the driver's unit.
    if (std::abs(tenths - below - 0.5) < 1e-9) {
        const auto whole = static_cast<long long>(below);
        return static_cast<int>(whole % 2 == 0 ? whole : whole + 1);
    }
    return static_cast<int>(std::llround(tenths));
}

QPageSize customPaper(double widthInches, double heightInches) {
    const int width = tenthsOfMillimetre(widthInches);
    const int height = tenthsOfMillimetre(heightInches);
    if (width <= 0 || height <= 0) return {};
    // ExactMatch keeps the size as given instead of snapping to a nearby
    // standard paper; a ticket wider than tall stays so.
    return QPageSize(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

}  // namespace engine
