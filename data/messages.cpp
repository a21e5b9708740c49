#include "messages.h"

#include <cstdio>

namespace data {
namespace {
MessageSink*& installed() {
    static MessageSink* sink = nullptr;
    return sink;
}
}  // namespace

void showMessage(const QString& text) {
    if (installed()) {
        installed()->show(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void installMessageSink(MessageSink* sink) {
    installed() = sink;
}

}  // namespace data
