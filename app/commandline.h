#pragma once

#include <QStringList>

namespace app {

// The unattended start's parameters: the words after the program name, an
// empty argument taking no position. Six or more switch the unattended start on.
QStringList unattendedParameters(const QStringList& arguments);

// Overwrites the password (the third parameter) in the process's own argument
// memory, so that it cannot be read from the process list once the program
// has taken it.
void hidePasswordArgument(int argc, char** argv);

}  // namespace app
