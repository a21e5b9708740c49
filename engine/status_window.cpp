#include "engine/status_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace engine {

namespace {
const QString kStatusFormat = QStringLiteral("Generating page %p");
}

StatusWindow::StatusWindow(QWidget* parent)
    : QDialog(parent),
      status_(new QLabel(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Estado"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &StatusWindow::reject);
    showPage(1);
}

void StatusWindow::showPage(int page) {
    status_->setText(QString(kStatusFormat).replace(QLatin1String("%p"), QString::number(page)));
}

QString StatusWindow::statusText() const {
    return status_->text();
}

void StatusWindow::reject() {
    hide();
    emit cancelRequested();
}

}  // namespace engine
