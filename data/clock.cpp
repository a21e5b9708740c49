#include "clock.h"

namespace data::clock {
namespace {
std::function<QDateTime()>& source() {
    static std::function<QDateTime()> current;
    return current;
}
}  // namespace

QDateTime now() {
    return source() ? source()() : QDateTime::currentDateTime();
}

void setForTesting(std::function<QDateTime()> replacement) {
    source() = std::move(replacement);
}

}  // namespace data::clock
