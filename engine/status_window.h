#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace engine {

// "Estado": shown while a job's pages are drawn, with the page being drawn and
// a button that cancels the job. Esc and the close box cancel as well.
class StatusWindow : public QDialog {
    Q_OBJECT

public:
    explicit StatusWindow(QWidget* parent = nullptr);

    void showPage(int page);
    QString statusText() const;
    QPushButton* cancelButton() const { return cancel_; }

signals:
    void cancelRequested();

public slots:
    void reject() override;

private:
    QLabel* status_;
    QPushButton* cancel_;
};

}  // namespace engine
