#include "commandline.h"

#include <cstring>

namespace app {

QStringList unattendedParameters(const QStringList& arguments) {
    QStringList words;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].isEmpty()) words.append(arguments[i]);
    return words.mid(0, 6);
}

void hidePasswordArgument(int argc, char** argv) {
    constexpr int kPasswordPosition = 3;
    int position = 0;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '\0') continue;
        if (++position == kPasswordPosition) {
            std::memset(argv[i], 'x', std::strlen(argv[i]));
            return;
        }
    }
}

}  // namespace app
