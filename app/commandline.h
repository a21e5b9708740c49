#pragma once

#include <QStringList>

namespace app {

// The unattended start's parameters: the words after the program name, an
// empty argument taking no position. Six or more switch the unattended start on.
QStringList unattendedParameters(const QStringList& arguments);

}  // namespace app
