#include "tfimpcomanda.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <exception>

#include "app/lookupcombo.h"
#include "app/statements.h"
#include "data/clock.h"
#include "data/configfiles.h"
#include "data/errors.h"
#include "data/messages.h"

namespace app {
namespace {

constexpr int kTimerInterval = 30000;

// Sets a flag for the life of a scope, also when an error leaves it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

int timerInterval() {
    // Tests and benchmarks may shorten the period; shops keep 30 seconds.
    bool ok = false;
    const int fromEnv = qEnvironmentVariableIntValue("IMPCOMANDA_TIMER_MS", &ok);
    return ok && fromEnv > 0 ? fromEnv : kTimerInterval;
}

QLabel* label(const QString& text, QWidget* parent, int x, int y) {
    auto* caption = new QLabel(text, parent);
    caption->move(x, y);
    return caption;
}

template <typename Widget>
Widget* placed(Widget* widget, int x, int y, int w, int h) {
    widget->setGeometry(x, y, w, h);
    return widget;
}

QToolButton* flatButton(const QString& caption, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(QFont(QStringLiteral("Arial Narrow"), 9));
    return button;
}

}  // namespace

Tfimpcomanda::Tfimpcomanda(data::Tfdm& fdm, engine::ReportSystem& report, QStringList parameters,
                           QWidget* parent)
    : QWidget(parent),
      CPrefijo(QStringLiteral("CPrefijo"), fdm.Vemtrax),
      CColacoc(QStringLiteral("CColacoc"), fdm.Vemtrax),
      CFormato(QStringLiteral("CFormato"), fdm.Vemtrax),
      CFormdatos(QStringLiteral("CFormdatos"), fdm.Vemtrax),
      CFormlineas(QStringLiteral("CFormlineas"), fdm.Vemtrax),
      CRngfac(QStringLiteral("CRngfac"), fdm.Vemtrax),
      CImpfactura(QStringLiteral("CImpfactura"), fdm.Vemtrax),
      CBorrar(QStringLiteral("CBorrar"), fdm.Vemtrax),
      fdm_(fdm),
      RvSystem1(report),
      ticket_({fdm, CFormato, CFormdatos, CFormlineas, CImpfactura, CRngfac, CBorrar}),
      errorBox_(this),
      parameters_(std::move(parameters)) {
    buildControls();
    bindDataSets();
    RvSystem1.OnBeforePrint = [this](engine::Report&) { ticket_.RvSystem1BeforePrint(RvSystem1); };
    RvSystem1.OnPrint = [this](engine::Report& job) { ticket_.RvSystem1Print(job); };
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) cameFromOutside_ = true;
    });
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { guarded([this] { SpeedButton3Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    guarded([this] { FormCreate(); });
    Timer1.start(timerInterval());
}

Tfimpcomanda::~Tfimpcomanda() {
    qApp->removeEventFilter(this);
    RvSystem1.OnBeforePrint = nullptr;
    RvSystem1.OnPrint = nullptr;
}

void Tfimpcomanda::buildControls() {
    setWindowTitle(QStringLiteral("Impresión comandas"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(217, 232, 237));
    setPalette(colours);
    // 430 × 333 outside, minus the frame and title bar of the window manager.
    setFixedSize(414, 294);

    auto* panel2 = placed(new QFrame(this), 0, 0, 414, 57);
    panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* label2 = placed(new QLabel(panel2), 40, 4, 333, 49);
    label2->setWordWrap(true);
    label2->setText(QStringLiteral(
        "Este programa envia a la impresora las comandas de los productos facturados por la app "
        "de restaurantes, usando el formato especificado al ingresar a la aplicación"));

    auto* origen = placed(new QGroupBox(QStringLiteral("Origen:"), this), 0, 57, 414, 105);
    label(QStringLiteral("Servidor : "), origen, 16, 22);
    Servidor = placed(new QComboBox(origen), 80, 18, 318, 22);
    Servidor->setEditable(false);
    label(QStringLiteral("Usuario : "), origen, 16, 48);
    Tusua = placed(new QLineEdit(origen), 80, 44, 121, 22);
    label(QStringLiteral("Clave : "), origen, 16, 74);
    TClave = placed(new QLineEdit(origen), 80, 70, 121, 22);
    TClave->setEchoMode(QLineEdit::Password);
    label(QStringLiteral("Compañía:"), origen, 224, 48);
    Cia = placed(new QLineEdit(origen), 288, 44, 45, 22);

    auto* parametros = placed(new QGroupBox(QStringLiteral("Parámetros "), this), 0, 162, 414, 80);
    label(QStringLiteral("Prefijo:"), parametros, 16, 24);
    Prefijo =
        placed(new LookupCombo(QStringLiteral("PREF_PRE"), QStringLiteral("PREF_PRE"), parametros),
               96, 20, 121, 22);
    label(QStringLiteral("Cola cocina:"), parametros, 16, 52);
    Cola = placed(
        new LookupCombo(QStringLiteral("COFU_ID"), QStringLiteral("COFU_NOMBRE"), parametros), 96,
        48, 200, 22);

    auto* panel1 = placed(new QFrame(this), 0, 242, 414, 52);
    panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SpeedButton3 = placed(flatButton(QStringLiteral("F2: Imprimir"), panel1), 8, 3, 120, 46);
    SpeedButton3->setEnabled(false);
    SpeedButton2 = placed(flatButton(QStringLiteral("Esc: Cancelar"), panel1), 286, 3, 120, 46);

    Panel5 = placed(new QFrame(this), 8, 100, 337, 41);
    Panel5->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel5->setAutoFillBackground(true);
    Panel5Caption = placed(new QLabel(Panel5), 2, 2, 333, 37);
    Panel5Caption->setAlignment(Qt::AlignCenter);
    Panel5Caption->setStyleSheet(QStringLiteral("color: navy;"));
    Panel5Caption->setFont(QFont(QStringLiteral("MS Sans Serif"), -1));
    Panel5Caption->setText(QStringLiteral("Generando informe. espere un momento..."));
    QFont captionFont = Panel5Caption->font();
    captionFont.setPixelSize(13);
    Panel5Caption->setFont(captionFont);
    Panel5->hide();

    setTabOrder(Servidor, Tusua);
    setTabOrder(Tusua, TClave);
    setTabOrder(TClave, Cia);
    setTabOrder(Cia, Prefijo);
    setTabOrder(Prefijo, Cola);
    Servidor->setFocus();
}

void Tfimpcomanda::bindDataSets() {
    CPrefijo.setCommandText(
        QStringLiteral("select * from prefijos where tido_cod=531 and pref_activo = 'S'"));
    CColacoc.setCommandText(QStringLiteral("SELECT * FROM COCINA_FUNCIONES"));
    CFormato.addDetail(CFormdatos,
                       QStringLiteral("SELECT * FROM FORMATO_DATOS WHERE TIDO_COD = :TIDO_COD AND "
                                      "PREF_PRE = :PREF_PRE"));
    CFormato.addDetail(CFormlineas,
                       QStringLiteral("SELECT * FROM FORMATO_LINEAS WHERE TIDO_COD = :TIDO_COD AND "
                                      "PREF_PRE = :PREF_PRE"));
}

void Tfimpcomanda::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const data::DatabaseError& error) {
        // The server may have gone away; the next pass checks the connection.
        fdm_.Vemtrax.markSuspect();
        errorBox_.show(error.message());
    } catch (const std::exception& error) {
        errorBox_.show(QString::fromUtf8(error.what()));
    }
}

// ---- start-up -------------------------------------------------------------

void Tfimpcomanda::FormCreate() {
    installationDirectory_ = fdm_.diraplicacion();
    lista_servidores = data::readServerList(
        data::Tfdm::installationFile(installationDirectory_, QStringLiteral("SERVIDORES.cfg")));
    Servidor->clear();
    Servidor->addItems(lista_servidores);
    Servidor->setCurrentIndex(lista_servidores.isEmpty() ? -1 : 0);
}

void Tfimpcomanda::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Not every platform activates a window when it is first shown (offscreen,
    // X without a window manager); the unattended start must run all the same.
    QTimer::singleShot(0, this, [this] { onActivated(); });
}

void Tfimpcomanda::onActivated() {
    // The first activation, and later ones when staff come back from another
    // program, run the unattended sequence. Closing one of our own boxes or the
    // status window also activates the window; that must not start it again.
    if (activatedOnce_ && !cameFromOutside_) return;
    activatedOnce_ = true;
    cameFromOutside_ = false;
    guarded([this] { FormActivate(); });
}

void Tfimpcomanda::FormActivate() {
    if (parameters_.size() < 6) return;
    if (sequenceRunning_ || passRunning_ || loginRunning_) return;
    FlagScope running(sequenceRunning_);
    Servidor->clear();
    Servidor->addItem(parameters_[0]);
    Servidor->setCurrentIndex(0);
    Tusua->setText(parameters_[1]);
    TClave->setText(parameters_[2]);
    Cia->setText(parameters_[3]);
    CiaExit();
    Prefijo->setKeyValue(parameters_[4]);
    Cola->setKeyValue(parameters_[5]);
    if (fdm_.Vemtrax.isOpen()) SpeedButton3Click();
}

// ---- keys -----------------------------------------------------------------

bool Tfimpcomanda::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The window sees every key before the focused control, once: an
        // ignored key comes here again on its way up to the parents.
        const bool propagating = key == lastKeyEvent_ && lastKeyTarget_ &&
                                 static_cast<QWidget*>(watched)->isAncestorOf(lastKeyTarget_);
        lastKeyEvent_ = key;
        lastKeyTarget_ = static_cast<QWidget*>(watched);
        if (!propagating) FormKeyDown(key->key(), key->modifiers());
        if (Enteratab(watched, event)) return true;
    }
    if (type == QEvent::FocusOut && watched == Cia) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the field for another control of the window, not the window
        // losing focus to a box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guarded([this] { CiaExit(); });
    }
    if (type == QEvent::ActivationChange && watched == this && isActiveWindow()) onActivated();
    return QWidget::eventFilter(watched, event);
}

// The key is not consumed: the focused control receives it too.
void Tfimpcomanda::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const auto held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (held) return;
    if (key == Qt::Key_F2) guarded([this] { SpeedButton3Click(); });
    if (key == Qt::Key_Escape) SpeedButton2Click();
}

bool Tfimpcomanda::Enteratab(QObject* watched, QEvent* event) {
    const bool loginField =
        watched == Servidor || watched == Tusua || watched == TClave || watched == Cia;
    if (!loginField) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    focusNextChild();
    return true;
}

// ---- login ----------------------------------------------------------------

void Tfimpcomanda::CiaExit() {
    const QString company = Cia->text();
    const QString user = Tusua->text();
    const QString password = TClave->text();
    if (company.isEmpty() || user.isEmpty() || password.isEmpty()) return;
    if (passRunning_) {
        // Reconnecting under a running pass would pull its connection away;
        // the login runs as soon as the pass is over.
        loginDeferred_ = true;
        return;
    }
    if (loginRunning_) return;
    FlagScope running(loginRunning_);

    Panel5Caption->setText(QStringLiteral("Conectando a la base de datos ") + company +
                           QStringLiteral(" ..."));
    Panel5->show();
    repaint();

    const QString server = Servidor->currentText();
    fdm_.ConGeneral.close();
    fdm_.ConGeneral.setParam(QStringLiteral("Database"),
                             server + QStringLiteral("/datos/general.fdb"));
    fdm_.ConGeneral.setParam(QStringLiteral("User_Name"), user);
    fdm_.ConGeneral.setParam(QStringLiteral("password"), password);
    fdm_.ConGeneral.open();

    fdm_.Vemtrax.close();
    fdm_.Vemtrax.setParam(QStringLiteral("Database"), server + QStringLiteral("/datos/") + company +
                                                          QStringLiteral("/vemtrax.fdb"));
    fdm_.Vemtrax.setParam(QStringLiteral("User_Name"), user);
    fdm_.Vemtrax.setParam(QStringLiteral("password"), password);
    fdm_.Vemtrax.open();
    emit connected();

    Panel5->hide();
    SpeedButton3->setEnabled(true);
    fdm_.cargue_configuracion();

    // The lists keep the rows of the first login for the whole run.
    if (!CPrefijo.isOpen()) {
        CPrefijo.open();
        Prefijo->load(CPrefijo);
    }
    if (!CColacoc.isOpen()) {
        CColacoc.open();
        Cola->load(CColacoc);
    }
    if (CPrefijo.recordCount() == 0) {
        data::showMessage(QStringLiteral("Debe crear antes un prefijo válido para el documento."));
        return;
    }
    CPrefijo.first();
    Prefijo->setKeyValue(CPrefijo.text(QStringLiteral("PREF_PRE")));
}

// ---- print cycle ----------------------------------------------------------

void Tfimpcomanda::SpeedButton3Click() {
    // One pass at a time: a tick, F2 or click that arrives while a pass, its
    // job or one of its boxes is running is skipped; the next tick comes anyway.
    if (passRunning_ || loginRunning_) return;
    {
        FlagScope running(passRunning_);
        runPass();
    }
    if (closeDeferred_) close();
    if (loginDeferred_) {
        loginDeferred_ = false;
        QTimer::singleShot(0, this, [this] { guarded([this] { CiaExit(); }); });
    }
}

void Tfimpcomanda::runPass() {
    Panel5->show();
    QCoreApplication::processEvents();
    const QString prefix = Prefijo->shownText();
    if (prefix.isEmpty()) {
        data::showMessage(QStringLiteral("Debe seleccionar el prefijo."));
        endPass();
        return;
    }
    fdm_.Vemtrax.recoverIfLost();
    CFormato.close();
    CFormato.setCommandText(formatStatement(prefix));
    CFormato.open();
    if (CFormato.recordCount() <= 0) {
        data::showMessage(QStringLiteral("No se encontró el formato de impresión."));
        endPass();
        return;
    }
    RvSystem1.SetAllowSetup(false);
    printPendingOrders();
    endPass();
}

void Tfimpcomanda::printPendingOrders() {
    const QDate today = data::clock::now().date();
    CRngfac.close();
    CRngfac.setCommandText(pendingOrdersStatement(today, queueId()));
    CRngfac.open();
    for (CRngfac.first(); !CRngfac.eof() && !closeDeferred_; CRngfac.next()) {
        const qint64 order = CRngfac.integer(QStringLiteral("FACW_ID"));
        CImpfactura.close();
        CImpfactura.setCommandText(ticketRowsStatement(order, queueId()));
        CImpfactura.open();
        if (CImpfactura.recordCount() > 0) RvSystem1.RunJob();
        CImpfactura.close();
        CBorrar.close();
        // Marked only once the job has ended: an error above leaves it pending.
        CBorrar.setCommandText(markingStatement(data::clock::now().time(), order, queueId()));
        CBorrar.execute();
    }
    CRngfac.close();
}

void Tfimpcomanda::endPass() {
    Panel5->hide();
    QCoreApplication::processEvents();
    if (!Timer1.isActive()) Timer1.start(timerInterval());
}

qint32 Tfimpcomanda::queueId() const {
    return queueNumber(Cola->keyValue().toString());
}

// ---- closing --------------------------------------------------------------

void Tfimpcomanda::closeEvent(QCloseEvent* event) {
    if (passRunning_) {
        // The running job reads the data sets that closing empties: stop after
        // the order in hand (unprinted orders stay pending) and close then.
        closeDeferred_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void Tfimpcomanda::FormClose() {
    CFormato.close();
    CImpfactura.close();
    CPrefijo.close();
    CColacoc.close();
    errorBox_.close();
}

}  // namespace app
