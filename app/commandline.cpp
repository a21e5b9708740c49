#include "commandline.h"

namespace app {

QStringList unattendedParameters(const QStringList& arguments) {
    QStringList words;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].isEmpty()) words.append(arguments[i]);
    return words.mid(0, 6);
}

}  // namespace app
