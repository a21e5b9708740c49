#pragma once

#include <QString>

namespace data {

// The program's modal message boxes: a text and one OK button.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const QString& text) = 0;
};

// Shows the text through the installed sink (stderr when none is installed).
void showMessage(const QString& text);
// The window installs its box; tests install a recorder. nullptr restores stderr.
void installMessageSink(MessageSink* sink);

}  // namespace data
