#pragma once

#include <QDateTime>
#include <functional>

// Every reading of the date and time goes through here so that tests can set
// the moment a statement or a header is built at.
namespace data::clock {

QDateTime now();
// Tests only: replace the clock; an empty function restores the system clock.
void setForTesting(std::function<QDateTime()> source);

}  // namespace data::clock
