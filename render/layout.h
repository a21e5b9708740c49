#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "data/fixed4.h"

namespace render {

// The layout grid spans the whole sheet whatever the paper.
inline constexpr int kLayoutWidth = 1500;
inline constexpr int kLayoutHeight = 2000;

// Inches per layout unit, kept to four decimals: pageInches / units, the count
// of ten-thousandths rounded to the nearest integer with halves to even.
data::Fixed4 layoutScale(double pageInches, int units);

// A layout value (NULL counts as 0) in inches on the engine's page.
double toInches(qint64 layoutValue, data::Fixed4 scale);

struct ResolvedFont {
    QString face;
    int size = 0;
    friend bool operator==(const ResolvedFont&, const ResolvedFont&) = default;
};

// A row's own face unless its text is empty (blanks are a name), else the
// format's; a row's own size unless NULL (0 is a size), else the format's, NULL
// there giving 0. SetFont ignores sizes of 0 or less, so they are passed on.
ResolvedFont resolveFont(const QString& ownFace, std::optional<qint64> ownSize,
                         const QString& formatFace, std::optional<qint64> formatSize);

}  // namespace render
