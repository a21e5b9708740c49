// Broken configuration of the workstation, in the program's own window with
// the real engine writing PDFs: the messages the shop sees and the tickets
// that still come out.
#include <QApplication>
#include <QComboBox>
#include <QtTest>

#include "app/commandline.h"
#include "app/tfimpcomanda.h"
#include "data/messages.h"
#include "data/tfdm.h"
#include "engine/qt_report_system.h"
#include "faultkit.h"
#include "tests/app/installation.h"
#include "testshop.h"

using namespace faults;

namespace {

const QString kMissingKey =
    "No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\Quolid\\Vemtrax2022\\Directorio";

// The program's messages and the pages the engine starts, in the order they
// happen, so that a test sees which message came before which ticket.
class Events : public data::MessageSink {
public:
    Events() { data::installMessageSink(this); }
    ~Events() override { data::installMessageSink(nullptr); }
    void show(const QString& text) override { log << "message: " + text; }
    QStringList messages() const {
        QStringList texts;
        for (const QString& entry : log)
            if (entry.startsWith("message: ")) texts << entry.mid(9);
        return texts;
    }
    QStringList log;
};

// The window on a shop with two waiting orders, started with six arguments;
// no system printers, so the default printer is the built-in PDF one.
struct UnattendedWindow {
    UnattendedWindow(TestShop& shop, bool withKey) : installation(withKey) {
        report.setPdfFolder(tickets.path());
        report.setPrinterSource([] { return engine::SystemPrinters{}; });
        QObject::connect(&report, &engine::QtReportSystem::pageStarted, &report,
                         [this](int page) { events.log << QString("page %1").arg(page); });
        parameters = app::unattendedParameters({"impcomanda", shop.serverFolder(), TestShop::user(),
                                                TestShop::password(), "01", "CO", "1"});
    }
    void create() { window = std::make_unique<app::Tfimpcomanda>(fdm, report, parameters); }

    Installation installation;
    QTemporaryDir tickets;
    Events events;
    data::Tfdm fdm;
    engine::QtReportSystem report;
    QStringList parameters;
    std::unique_ptr<app::Tfimpcomanda> window;
};

bool bothMarked(const TestShop& shop) {
    const auto flags = kitchenFlags(shop);
    return flags.value(1) == "S" && flags.value(2) == "S";
}

}  // namespace

class TestFaultsConfig : public QObject {
    Q_OBJECT
private slots:
    void installationKeyMissing();
    void printerMapMissing();
    void serverListUnreadable_data();
    void serverListUnreadable();
};

void TestFaultsConfig::installationKeyMissing() {
    // Without the installation key the shop is told at start and before each
    // job, and the tickets still print on the printer already chosen.
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, 2);
    UnattendedWindow f(shop, false);
    f.create();
    QCOMPARE(f.events.messages(), QStringList{kMissingKey});
    QCOMPARE(f.window->Servidor->count(), 0);

    f.window->show();
    QTRY_VERIFY_WITH_TIMEOUT(bothMarked(shop), 20000);
    const QString missingMap =
        "Error abriendo el archivo" + data::Tfdm::installationFile(QString(), "impresoras.cfg");
    QCOMPARE(
        f.events.log,
        (QStringList{"message: " + kMissingKey, "message: " + kMissingKey, "message: " + missingMap,
                     "page 1", "message: " + kMissingKey, "message: " + missingMap, "page 1"}));
    QCOMPARE(ticketsIn(f.tickets.path()), (QMap<int, int>{{1, 1}, {2, 1}}));
    QVERIFY(!f.window->errorBox().isOpen());
}

void TestFaultsConfig::printerMapMissing() {
    // impresoras.cfg missing while the format names a printer key: the
    // message with the file's path before every job, and every job prints.
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, 2);
    UnattendedWindow f(shop, true);
    f.installation.write("SERVIDORES.cfg", shop.serverFolder().toUtf8() + "\r\n");
    f.create();
    QVERIFY(f.events.log.isEmpty());
    f.window->show();
    QTRY_VERIFY_WITH_TIMEOUT(bothMarked(shop), 20000);
    const QString missingMap =
        "Error abriendo el archivo" + f.installation.directory() + "/impresoras.cfg";
    QCOMPARE(f.events.log,
             (QStringList{"message: " + missingMap, "page 1", "message: " + missingMap, "page 1"}));
    QCOMPARE(ticketsIn(f.tickets.path()), (QMap<int, int>{{1, 1}, {2, 1}}));
}

void TestFaultsConfig::serverListUnreadable_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a dangling link") << "link";
}

void TestFaultsConfig::serverListUnreadable() {
    // A SERVIDORES.cfg that cannot be read leaves the list empty without a
    // word, and the unattended start prints all the same.
    QFETCH(QString, kind);
    TestShop shop(TestShop::Content::Demo);
    seedBacklog(shop, 2);
    UnattendedWindow f(shop, true);
    f.installation.write("impresoras.cfg", "COCINA,PDF\r\n");
    const QString servers = f.installation.directory() + "/SERVIDORES.cfg";
    if (kind == "folder")
        QVERIFY(QDir().mkpath(servers));
    else
        QVERIFY(QFile::link(f.installation.directory() + "/nowhere", servers));
    f.create();
    QCOMPARE(f.window->Servidor->count(), 0);
    QVERIFY(f.window->lista_servidores.isEmpty());
    f.window->show();
    QTRY_VERIFY_WITH_TIMEOUT(bothMarked(shop), 20000);
    QVERIFY2(f.events.messages().isEmpty(), qPrintable(f.events.messages().join('\n')));
    QCOMPARE(ticketsIn(f.tickets.path()), (QMap<int, int>{{1, 1}, {2, 1}}));
}

QTEST_MAIN(TestFaultsConfig)
#include "tst_faults_config.moc"
