#pragma once

#include <QStringList>

#include "data/messages.h"

// Catches the program's message boxes for the life of the object, so that a
// test can assert their exact text and nothing ever waits for a click.
class MessageRecorder : public data::MessageSink {
public:
    MessageRecorder() { data::installMessageSink(this); }
    ~MessageRecorder() override { data::installMessageSink(nullptr); }
    void show(const QString& text) override { messages << text; }
    QStringList messages;
};
