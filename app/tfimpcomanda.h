#pragma once

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/errorbox.h"
#include "data/dataset.h"
#include "data/tfdm.h"
#include "engine/report.h"
#include "render/ticket.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QFrame;
class QToolButton;

namespace app {

class LookupCombo;

// The program's one window: login fields, the prefix and queue lists, the
// print cycle run by F2, the button and the 30-second timer, and the
// unattended start from the command line.
//
// Everything runs on this thread. The engine and the modal boxes let events
// through while they run, so the handlers keep two guards: one pass of the
// cycle at a time (a tick or F2 meanwhile is skipped; the next tick comes
// anyway), and no login or unattended sequence inside a running one.
class Tfimpcomanda : public QWidget {
    Q_OBJECT
public:
    Tfimpcomanda(data::Tfdm& fdm, engine::ReportSystem& report, QStringList parameters,
                 QWidget* parent = nullptr);
    ~Tfimpcomanda() override;

    // Handlers, public so that tests can drive them as the events would.
    void FormCreate();
    void FormActivate();
    void CiaExit();
    void SpeedButton3Click();
    void SpeedButton2Click() { close(); }
    void Timer1Timer() { SpeedButton3Click(); }

    // The installation directory read at creation (empty when the key is missing).
    QString installationDirectory() const { return installationDirectory_; }
    bool passRunning() const { return passRunning_; }
    ErrorBox& errorBox() { return errorBox_; }

    // Controls and data sets, named as the shop's documentation names them.
    QComboBox* Servidor;
    QLineEdit* Tusua;
    QLineEdit* TClave;
    QLineEdit* Cia;
    LookupCombo* Prefijo;
    LookupCombo* Cola;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton2;
    QFrame* Panel5;
    QLabel* Panel5Caption;
    QTimer Timer1;
    QStringList lista_servidores;

    data::DataSet CPrefijo;
    data::DataSet CColacoc;
    data::DataSet CFormato;
    data::DataSet CFormdatos;
    data::DataSet CFormlineas;
    data::DataSet CRngfac;
    data::DataSet CImpfactura;
    data::DataSet CBorrar;

signals:
    // The company connection was (re)opened by a login.
    void connected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void bindDataSets();
    // Runs an event's handler; an error ends the handler and goes to the error box.
    void guarded(const std::function<void()>& handler);
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    bool Enteratab(QObject* watched, QEvent* event);
    void FormClose();
    void runPass();
    void printPendingOrders();
    void endPass();
    qint32 queueId() const;
    void onActivated();

    data::Tfdm& fdm_;
    engine::ReportSystem& RvSystem1;
    render::TicketPrinter ticket_;
    ErrorBox errorBox_;
    QStringList parameters_;
    QString installationDirectory_;
    bool passRunning_ = false;
    bool loginRunning_ = false;
    bool sequenceRunning_ = false;
    bool loginDeferred_ = false;
    bool closeDeferred_ = false;
    bool activatedOnce_ = false;
    bool cameFromOutside_ = false;
    const QEvent* lastKeyEvent_ = nullptr;
    QPointer<QWidget> lastKeyTarget_;
};

}  // namespace app
