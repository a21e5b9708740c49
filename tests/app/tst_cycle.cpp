#include <QApplication>
#include <QFrame>
#include <QMessageBox>
#include <QtTest>

#include "app/commandline.h"
#include "app/statements.h"
#include "shopdata.h"
#include "windowfixture.h"

namespace {
const QDate kToday(2026, 12, 11);
const QDateTime kMorning(kToday, QTime(10, 5, 31));

const char* const kTicketColumns =
    "PREF VARCHAR(4), NUMERO VARCHAR(8), CLIENTE VARCHAR(20), NOMCLIENTE VARCHAR(60), FECHA DATE, "
    "HORA TIME, VEND INTEGER, NOMVEND VARCHAR(60), OBS VARCHAR(1024), ITEM INTEGER, "
    "ARTICULO VARCHAR(20), DESCRIPCION VARCHAR(60), CANT NUMERIC(15,4), UNIDAD VARCHAR(8), "
    "REFERENCIA VARCHAR(60), PRUNIT NUMERIC(15,2), CAMBIOS VARCHAR(60), PTOVTA INTEGER, "
    "NOMPTOVTA VARCHAR(60)";

// A message box that, like a real modal box, lets a timer tick through.
class TickingMessages : public data::MessageSink {
public:
    explicit TickingMessages(app::Tfimpcomanda& window) : window_(window) {
        data::installMessageSink(this);
    }
    ~TickingMessages() override { data::installMessageSink(nullptr); }
    void show(const QString& text) override {
        messages << text;
        window_.Timer1Timer();
    }
    QStringList messages;

private:
    app::Tfimpcomanda& window_;
};
}  // namespace

// One pass of the print cycle against the real server and procedure, drawing
// into the recording engine.
class TestCycle : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void passWithTwoOrders();
    void orderWithoutTicketRowsIsMarkedWithoutJob();
    void eachQueueMarksItsOwnItems();
    void yesterdaysOrderIsNeverFound();
    void itemNotReadyIsNeverMarked();
    void timeCutOnDayFirst12HourWorkstation();
    void prefixWithQuoteFindsItsFormat();
    void noFormatSendsNoOrderStatement();
    void queueThatIsNotANumber();
    void failingJobLeavesOrderPending();
    void tickDuringJobStartsNoSecondPass();
    void tickInsideModalMessageIsSkipped();
    void errorBoxIsOneAndDoesNotStopTheTimer();
    void unattendedStartPrintsWithoutInput_data();
    void unattendedStartPrintsWithoutInput();

private:
    std::unique_ptr<TestShop> shop;
};

void TestCycle::init() {
    shop = std::make_unique<TestShop>();
    seedSmallShop(*shop);
    setClock(kMorning);
}

void TestCycle::cleanup() {
    shop.reset();
    QLocale::setDefault(QLocale::c());
}

void TestCycle::passWithTwoOrders() {
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    addOrder(*shop, 2, kToday);
    addItem(*shop, 2, 1, "A2", "S", "N", "08:01:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();

    const QString datos =
        "SELECT * FROM FORMATO_DATOS WHERE TIDO_COD = :TIDO_COD AND PREF_PRE = :PREF_PRE";
    const QString lineas =
        "SELECT * FROM FORMATO_LINEAS WHERE TIDO_COD = :TIDO_COD AND PREF_PRE = :PREF_PRE";
    QCOMPARE(f.log(), (QStringList{
                          app::formatStatement("CO"),
                          datos,
                          lineas,
                          app::pendingOrdersStatement(kToday, 1),
                          "select * from impr_comanda(1, 1)",
                          app::markingStatement(kMorning.time(), 1, 1),
                          "select * from impr_comanda(2, 1)",
                          app::markingStatement(kMorning.time(), 2, 1),
                      }));
    QCOMPARE(f.report.jobs, 2);
    QCOMPARE(f.report.only({"SetTitle", "PrintAt"}),
             (QStringList{"SetTitle(Impresion comanda 1)", "PrintAt(0.2100,0.5500,N1)",
                          "SetTitle(Impresion comanda 2)", "PrintAt(0.2100,0.5500,N2)"}));
    QVERIFY(!f.report.AllowSetup());
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
    QCOMPARE(printedFlag(*shop, 2, 1), QString("S"));
    QVERIFY(f.window->Panel5->isHidden());
    QVERIFY(!f.window->CRngfac.isOpen());
    QVERIFY(!f.window->CImpfactura.isOpen());
    QVERIFY(f.window->CFormato.isOpen());
    QVERIFY(f.messages.messages.isEmpty());
}

void TestCycle::orderWithoutTicketRowsIsMarkedWithoutJob() {
    shop->exec(QString("alter procedure impr_comanda (id_factura integer, id_cola integer) "
                       "returns (%1) as begin if (1 = 0) then suspend; end")
                   .arg(kTicketColumns));
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();
    QCOMPARE(f.report.jobs, 0);
    QCOMPARE(f.log().last(), app::markingStatement(kMorning.time(), 1, 1));
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
}

void TestCycle::eachQueueMarksItsOwnItems() {
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    addItem(*shop, 1, 2, "B1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
    QCOMPARE(printedFlag(*shop, 1, 2), QString("N"));
    f.window->Cola->setKeyValue("2");
    f.window->SpeedButton3Click();
    QCOMPARE(printedFlag(*shop, 1, 2), QString("S"));
    QCOMPARE(f.report.jobs, 2);
}

void TestCycle::yesterdaysOrderIsNeverFound() {
    addOrder(*shop, 1, kToday.addDays(-1));
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();
    QCOMPARE(f.report.jobs, 0);
    QCOMPARE(f.log().last(), app::pendingOrdersStatement(kToday, 1));
    QCOMPARE(printedFlag(*shop, 1, 1), QString("N"));
}

void TestCycle::itemNotReadyIsNeverMarked() {
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    addItem(*shop, 1, 2, "A2", "N", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
    QCOMPARE(printedFlag(*shop, 1, 2), QString("N"));  // its ticket has not been printed yet
    shop->exec("update factura_web_detalle set fawd_pedlisto = 'S' where fawd_item = 2");
    f.window->SpeedButton3Click();
    QCOMPARE(f.report.jobs, 2);
    QCOMPARE(printedFlag(*shop, 1, 2), QString("S"));
}

void TestCycle::timeCutOnDayFirst12HourWorkstation() {
    // Short dates 11/12/26 and times 10:05:31 am: neither may reach the server.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::Australia));
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "10:05:29");
    addItem(*shop, 1, 2, "A2", "S", "N", "10:05:30");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();
    QVERIFY(f.log().contains(app::pendingOrdersStatement(kToday, 1)));
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
    QCOMPARE(printedFlag(*shop, 1, 2), QString("N"));  // same ten-second step as the job

    // The evening pass sees the order again and marks what it printed.
    setClock(QDateTime(kToday, QTime(22, 5, 31)));
    f.window->SpeedButton3Click();
    QCOMPARE(f.report.jobs, 2);
    QCOMPARE(printedFlag(*shop, 1, 2), QString("S"));
    QVERIFY(f.log().last().contains("< '22:05:3'"));
}

void TestCycle::prefixWithQuoteFindsItsFormat() {
    shop->exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (531, 'O''K', 'S')");
    shop->exec("insert into formatos (tido_cod, pref_pre, form_nroitems) values (531, 'O''K', 5)");
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->Prefijo->setKeyValue("O'K");
    QCOMPARE(f.window->Prefijo->shownText(), QString("O'K"));
    f.window->SpeedButton3Click();
    QCOMPARE(f.log().first(),
             QString("SELECT * FROM FORMATOS WHERE TIDO_COD = 531 AND PREF_PRE = 'O''K'"));
    QVERIFY(f.messages.messages.isEmpty());
    QCOMPARE(f.report.jobs, 1);
}

void TestCycle::noFormatSendsNoOrderStatement() {
    shop->exec("delete from formato_datos");
    shop->exec("delete from formatos");
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.window->SpeedButton3Click();
    QCOMPARE(f.messages.messages, QStringList{"No se encontró el formato de impresión."});
    QCOMPARE(f.log().size(), 1);  // the format statement; no nested rows, no orders
    QVERIFY(f.window->Panel5->isHidden());
    QCOMPARE(printedFlag(*shop, 1, 1), QString("N"));
}

void TestCycle::queueThatIsNotANumber() {
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1 OR 1=1");
    f.tick();
    QCOMPARE(f.report.jobs, 0);
    QCOMPARE(f.log().size(), 3);  // the format was read; no order statement followed
    QCOMPARE(f.window->errorBox().text(), QString("'1 OR 1=1' no es un valor entero válido"));
    QVERIFY(!f.window->Panel5->isHidden());
}

void TestCycle::failingJobLeavesOrderPending() {
    shop->exec(
        "insert into formato_lineas (tido_cod, pref_pre, foli_item, foli_tipo, foli_posx, "
        "foli_posy, foli_imagen) values (531, 'CO', 1, 'G', 0, 0, x'00112233445566778899')");
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    addOrder(*shop, 2, kToday);
    addItem(*shop, 2, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    f.tick();
    QVERIFY(f.window->errorBox().isOpen());
    QVERIFY(!f.window->errorBox().text().isEmpty());
    QVERIFY(!f.window->Panel5->isHidden());
    QCOMPARE(printedFlag(*shop, 1, 1), QString("N"));
    QCOMPARE(printedFlag(*shop, 2, 1), QString("N"));
    QVERIFY(!f.window->passRunning());

    shop->exec("update formato_lineas set foli_imagen = null");
    f.tick();
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
    QCOMPARE(printedFlag(*shop, 2, 1), QString("S"));
    QVERIFY(f.window->Panel5->isHidden());
}

void TestCycle::tickDuringJobStartsNoSecondPass() {
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    auto draw = f.report.OnPrint;
    int ticks = 0;
    f.report.OnPrint = [&](engine::Report& job) {
        // What the engine's event processing delivers while the page is drawn.
        f.tick();
        QTest::keyClick(f.window.get(), Qt::Key_F2);
        ++ticks;
        draw(job);
    };
    f.window->SpeedButton3Click();
    QCOMPARE(ticks, 1);
    QCOMPARE(f.report.jobs, 1);
    QCOMPARE(f.log().size(), 6);  // format (3), orders, ticket rows, marking: once
    QVERIFY(!f.window->errorBox().isOpen());
}

void TestCycle::tickInsideModalMessageIsSkipped() {
    shop->exec("delete from formato_datos");
    shop->exec("delete from formatos");
    WindowFixture f(shop.get());
    f.loginWithQueue("1");
    TickingMessages boxes(*f.window);
    f.window->SpeedButton3Click();
    QCOMPARE(boxes.messages, QStringList{"No se encontró el formato de impresión."});
    QCOMPARE(f.log().size(), 1);
}

void TestCycle::errorBoxIsOneAndDoesNotStopTheTimer() {
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    WindowFixture f(shop.get());
    f.loginWithQueue("x");
    f.tick();
    QVERIFY(f.window->errorBox().text().contains("'x'"));
    f.window->Cola->setKeyValue("y");
    f.tick();
    QVERIFY(f.window->errorBox().text().contains("'y'"));
    int boxes = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(top) && top->isVisible()) ++boxes;
    QCOMPARE(boxes, 1);
    QVERIFY(f.window->Timer1.isActive());
    // Nobody has answered the box, and the next tick prints all the same.
    f.window->Cola->setKeyValue("1");
    f.tick();
    QCOMPARE(f.report.jobs, 1);
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
}

void TestCycle::unattendedStartPrintsWithoutInput_data() {
    QTest::addColumn<bool>("emptyArgument");
    QTest::newRow("six arguments") << false;
    QTest::newRow("an empty argument among seven") << true;
}

void TestCycle::unattendedStartPrintsWithoutInput() {
    QFETCH(bool, emptyArgument);
    addOrder(*shop, 1, kToday);
    addItem(*shop, 1, 1, "A1", "S", "N", "08:00:00");
    addOrder(*shop, 2, kToday);
    addItem(*shop, 2, 1, "B1", "S", "N", "08:00:00");  // the bar's, not ours
    QStringList arguments{
        "impcomanda", shop->serverFolder(), TestShop::user(), TestShop::password(), "01", "CO",
        "1"};
    if (emptyArgument) arguments.insert(3, QString());
    WindowFixture f(shop.get(), true, app::unattendedParameters(arguments));
    f.window->show();
    QTRY_COMPARE(f.report.jobs, 1);
    QCOMPARE(f.window->Servidor->count(), 1);
    QCOMPARE(f.window->Servidor->currentText(), shop->serverFolder());
    QCOMPARE(f.window->Cia->text(), QString("01"));
    QCOMPARE(f.window->Prefijo->shownText(), QString("CO"));
    QCOMPARE(f.window->Cola->shownText(), QString("COCINA"));
    QCOMPARE(printedFlag(*shop, 1, 1), QString("S"));
    QCOMPARE(printedFlag(*shop, 2, 1), QString("N"));
    // Closing one of the program's own boxes activates the window again; that
    // must not log in and print once more.
    QMessageBox box;
    box.show();
    box.close();
    QTest::qWait(50);
    QCOMPARE(f.report.jobs, 1);
    QVERIFY(f.messages.messages.isEmpty());
}

QTEST_MAIN(TestCycle)
#include "tst_cycle.moc"
