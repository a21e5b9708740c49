#include "errorbox.h"

#include <QMessageBox>
#include <cstdio>

namespace app {

void ErrorBox::show(const QString& text) {
    // Unattended shops read the terminal or the service log, not only the screen.
    std::fprintf(stderr, "impcomanda: %s\n", text.toUtf8().constData());
    if (!box_) {
        box_ = new QMessageBox(QMessageBox::Critical, QStringLiteral("Impresión comandas"), text,
                               QMessageBox::Ok, parent_);
        box_->setAttribute(Qt::WA_DeleteOnClose);
        box_->setAttribute(Qt::WA_ShowWithoutActivating);
        box_->setWindowModality(Qt::NonModal);
    }
    box_->setText(text);
    box_->show();
}

bool ErrorBox::isOpen() const {
    const QMessageBox* box = box_.data();
    return box != nullptr && !box->isHidden();
}

QString ErrorBox::text() const {
    return box_ ? box_->text() : QString();
}

void ErrorBox::close() {
    if (box_) box_->close();
}

}  // namespace app
