#pragma once

#include <QMessageBox>

#include "data/messages.h"

namespace app {

// The program's own messages: a modal box with the text and one OK button.
class ModalMessages : public data::MessageSink {
public:
    void show(const QString& text) override {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Impresión comandas"), text,
                        QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }
};

}  // namespace app
