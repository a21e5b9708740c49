#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

namespace app {

// The error box of the handlers. Non-modal and never more than one: a later
// error replaces the text of the open box, so an outage at night leaves one box
// to read in the morning and the timer goes on printing meanwhile.
class ErrorBox {
public:
    explicit ErrorBox(QWidget* parent) : parent_(parent) {}
    void show(const QString& text);
    bool isOpen() const;
    QString text() const;
    void close();

private:
    QWidget* parent_;
    QPointer<QMessageBox> box_;
};

}  // namespace app
