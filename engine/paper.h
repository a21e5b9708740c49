#pragma once

#include <QPageSize>

namespace engine {

// Printer drivers take a custom paper size in tenths of a millimetre: inches
// times 254, an exact half going to the even neighbour.
int tenthsOfMillimetre(double inches);

// The custom page for width × height inches as the driver receives it, or an
// invalid QPageSize when a side is zero or negative.
QPageSize customPaper(double widthInches, double heightInches);

}  // namespace engine
