#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "shopdata.h"
#include "windowfixture.h"

// The window, its keys and the login, against a real Firebird server.
class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void layoutAndStart();
    void serverListComesFromInstallation();
    void missingInstallationKey();
    void functionKeys();
    void escapeClosesAndEmptiesTheLists();
    void enterMovesToTheNextField();
    void loginThroughEnterInCompany();
    void wrongPasswordLeavesButtonAndPanel();
    void emptyFieldDoesNothing();
    void noActivePrefix();
};

void TestWindow::cleanup() {
    QLocale::setDefault(QLocale::c());
}

void TestWindow::layoutAndStart() {
    WindowFixture f;
    app::Tfimpcomanda& w = *f.window;
    QCOMPARE(w.windowTitle(), QString("Impresión comandas"));
    QCOMPARE(w.size(), QSize(414, 294));
    QVERIFY(!w.SpeedButton3->isEnabled());
    QCOMPARE(w.SpeedButton3->text(), QString("F2: Imprimir"));
    QCOMPARE(w.SpeedButton2->text(), QString("Esc: Cancelar"));
    QCOMPARE(w.TClave->echoMode(), QLineEdit::Password);
    QVERIFY(w.Panel5->isHidden());
    QCOMPARE(w.Panel5->geometry(), QRect(8, 100, 337, 41));
    QCOMPARE(w.Panel5Caption->text(), QString("Generando informe. espere un momento..."));
    QVERIFY(w.Timer1.isActive());
    QCOMPARE(w.Timer1.interval(), 30000);
    QCOMPARE(w.palette().color(QPalette::Window), QColor(217, 232, 237));
}

void TestWindow::serverListComesFromInstallation() {
    WindowFixture f;
    f.installation.write("SERVIDORES.cfg", "c:\\vemtrax\r\n\r\nsrv:/datos\r\nsrv:/datos");
    app::Tfimpcomanda w(f.fdm, f.report, {});
    QCOMPARE(w.lista_servidores, (QStringList{"c:\\vemtrax", "", "srv:/datos", "srv:/datos"}));
    QCOMPARE(w.Servidor->count(), 4);
    QCOMPARE(w.Servidor->currentText(), QString("c:\\vemtrax"));
    QVERIFY(f.messages.messages.isEmpty());
}

void TestWindow::missingInstallationKey() {
    WindowFixture f(nullptr, false);
    QCOMPARE(f.messages.messages,
             QStringList{"No se encontró la Clave "
                         "HKEY_LOCAL_MACHINE\\Software\\Quolid\\Vemtrax2022\\Directorio"});
    QCOMPARE(f.window->Servidor->count(), 0);
    QCOMPARE(f.window->Servidor->currentText(), QString());
}

void TestWindow::functionKeys() {
    WindowFixture f;
    app::Tfimpcomanda& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Tusua->setFocus();
    QTest::keyClick(w.Tusua, Qt::Key_F2, Qt::ShiftModifier);
    QTest::keyClick(w.Tusua, Qt::Key_F2, Qt::ControlModifier);
    QTest::keyClick(w.Tusua, Qt::Key_Escape, Qt::AltModifier);
    QVERIFY(f.messages.messages.isEmpty());
    QVERIFY(w.isVisible());
    // F2 runs the cycle although the button is still disabled; before the
    // login there is no prefix, and nothing reaches the database.
    QTest::keyClick(w.Tusua, Qt::Key_F2);
    QCOMPARE(f.messages.messages, QStringList{"Debe seleccionar el prefijo."});
    QVERIFY(f.fdm.statementLog().entries().isEmpty());
    QVERIFY(w.Panel5->isHidden());
}

void TestWindow::escapeClosesAndEmptiesTheLists() {
    TestShop shop;
    seedSmallShop(shop);
    WindowFixture f(&shop);
    app::Tfimpcomanda& w = *f.window;
    f.typeLogin();
    w.CiaExit();
    QVERIFY(w.CPrefijo.isOpen());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(w.Cia, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QVERIFY(!w.CPrefijo.isOpen());
    QVERIFY(!w.CColacoc.isOpen());
    QVERIFY(!w.CFormato.isOpen());
}

void TestWindow::enterMovesToTheNextField() {
    WindowFixture f;
    app::Tfimpcomanda& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Tusua->setFocus();
    QTest::keyClick(w.Tusua, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.TClave);
    QCOMPARE(w.TClave->text(), QString());
    QTest::keyClick(w.TClave, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(QApplication::focusWidget(), w.Cia);
}

void TestWindow::loginThroughEnterInCompany() {
    TestShop shop;
    seedSmallShop(shop);
    shop.exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (531, 'XX', 'N')");
    shop.exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (531, 'DO', 'S')");
    shop.exec("insert into configuracion values ('COMANDAS', 'GENERAL', 'COPIAS', '1')");
    WindowFixture f(&shop);
    app::Tfimpcomanda& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    f.typeLogin();
    w.Cia->setFocus();
    QTest::keyClick(w.Cia, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.Prefijo);

    QCOMPARE(f.fdm.statementLog().entries(),
             (QStringList{"SELECT * FROM CONFIGURACION",
                          "select * from prefijos where tido_cod=531 and pref_activo = 'S'",
                          "SELECT * FROM COCINA_FUNCIONES"}));
    QCOMPARE(f.fdm.ConGeneral.param("Database"), shop.serverFolder() + "/datos/general.fdb");
    QCOMPARE(f.fdm.Vemtrax.param("Database"), shop.serverFolder() + "/datos/01/vemtrax.fdb");
    QVERIFY(f.fdm.ConGeneral.isOpen());
    QVERIFY(f.fdm.Vemtrax.isOpen());
    QVERIFY(w.SpeedButton3->isEnabled());
    QVERIFY(w.Panel5->isHidden());
    QCOMPARE(w.Panel5Caption->text(), QString("Conectando a la base de datos 01 ..."));
    QCOMPARE(w.Prefijo->count(), 2);
    QVERIFY(!w.Prefijo->shownText().isEmpty());
    QCOMPARE(w.Prefijo->shownText(), w.CPrefijo.text("PREF_PRE"));
    QCOMPARE(w.Cola->count(), 2);
    QCOMPARE(w.Cola->shownText(), QString());  // no queue chosen yet
    QCOMPARE(f.fdm.CConfiguracion.text("CONF_VALOR"), QString("1"));
    QVERIFY(f.messages.messages.isEmpty());

    // A second login reconnects and reloads the configuration, not the lists.
    f.fdm.statementLog().clear();
    w.CiaExit();
    QCOMPARE(f.fdm.statementLog().entries(), QStringList{"SELECT * FROM CONFIGURACION"});
}

void TestWindow::wrongPasswordLeavesButtonAndPanel() {
    TestShop shop;
    seedSmallShop(shop);
    WindowFixture f(&shop);
    app::Tfimpcomanda& w = *f.window;
    f.typeLogin("not-the-password");
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Cia->setFocus();
    QTest::keyClick(w.Cia, Qt::Key_Tab);
    QVERIFY(w.errorBox().isOpen());
    QVERIFY2(w.errorBox().text().contains("password", Qt::CaseInsensitive),
             qPrintable(w.errorBox().text()));
    QVERIFY(!w.SpeedButton3->isEnabled());
    QVERIFY(w.Panel5->isVisible());
    QCOMPARE(w.Panel5Caption->text(), QString("Conectando a la base de datos 01 ..."));
    QVERIFY(!f.fdm.ConGeneral.isOpen());
    QVERIFY(!f.fdm.Vemtrax.isOpen());
    QVERIFY(f.fdm.statementLog().entries().isEmpty());
}

void TestWindow::emptyFieldDoesNothing() {
    TestShop shop;
    WindowFixture f(&shop);
    app::Tfimpcomanda& w = *f.window;
    f.typeLogin("");
    w.CiaExit();
    QVERIFY(w.Panel5->isHidden());
    QVERIFY(!f.fdm.ConGeneral.isOpen());
    QVERIFY(!w.errorBox().isOpen());
    QVERIFY(f.messages.messages.isEmpty());
    QVERIFY(f.fdm.statementLog().entries().isEmpty());
}

void TestWindow::noActivePrefix() {
    TestShop shop;
    shop.exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (531, 'XX', 'N')");
    shop.exec("insert into prefijos (tido_cod, pref_pre, pref_activo) values (1, 'FV', 'S')");
    WindowFixture f(&shop);
    app::Tfimpcomanda& w = *f.window;
    f.typeLogin();
    w.CiaExit();
    QCOMPARE(f.messages.messages,
             QStringList{"Debe crear antes un prefijo válido para el documento."});
    QCOMPARE(f.fdm.statementLog().entries().size(), 3);  // after the lists were opened
    QVERIFY(w.SpeedButton3->isEnabled());
    QCOMPARE(w.Prefijo->shownText(), QString());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
