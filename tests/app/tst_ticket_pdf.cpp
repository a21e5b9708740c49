#include <QTemporaryDir>
#include <QtTest>

#include <QLineEdit>

#include "app/lookupcombo.h"
#include "app/tfimpcomanda.h"
#include "engine/qt_report_system.h"
#include "installation.h"
#include "message_recorder.h"
#include "pdf_probe.h"
#include "testshop.h"

namespace {
// Layout units of the demo's 80 mm format in PDF points: 3.15 in / 1500 and
// 11 in / 2000 at four decimals, 72 points an inch.
constexpr double kPointsX = 0.0021 * 72;
constexpr double kPointsY = 0.0055 * 72;
constexpr double kTolerance = 0.05;
}  // namespace

// A demo shop's kitchen ticket printed by the real program into a real PDF and
// read back from outside: the words sit where the format puts them.
class TestTicketPdf : public QObject {
    Q_OBJECT
private slots:
    void demoTicketWordsSitWhereTheFormatSays();
};

void TestTicketPdf::demoTicketWordsSitWhereTheFormatSays() {
    TestShop shop(TestShop::Content::Demo);
    Installation installation;
    installation.write("SERVIDORES.cfg", shop.serverFolder().toUtf8() + "\r\n");
    installation.write("impresoras.cfg", "COCINA,PDF\r\nBAR,PDF\r\n");
    QTemporaryDir tickets;
    MessageRecorder messages;
    data::Tfdm fdm;
    engine::QtReportSystem engine;
    engine.setPdfFolder(tickets.path());
    app::Tfimpcomanda window(fdm, engine, {});
    window.Tusua->setText(TestShop::user());
    window.TClave->setText(TestShop::password());
    window.Cia->setText("01");
    window.CiaExit();
    window.Cola->setKeyValue("1");
    window.SpeedButton3Click();
    QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.messages.join('\n')));
    QVERIFY(!window.errorBox().isOpen());

    const QString pdf = tickets.filePath("Impresion comanda 1001.pdf");
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(pdfprobe::pageCount(pdf), 1);
    QVERIFY(qAbs(pdfprobe::pageSize(pdf).width() - 227) <= 1);
    QVERIFY(qAbs(pdfprobe::pageSize(pdf).height() - 792) <= 1);
    QVERIFY(pdfprobe::fonts(pdf).contains("LiberationSans"));  // the format's Arial

    // The order number (NUMERO at x 800), left-aligned.
    const auto number = pdfprobe::word(pdf, "000101");
    QCOMPARE(number.page, 1);
    QVERIFY(qAbs(number.xMin - 800 * kPointsX) < kTolerance);
    // The two kitchen items in item order, one line spacing (45 units) apart,
    // descriptions from x 230; the bar's item is on the bar's ticket only.
    const auto first = pdfprobe::word(pdf, "Ñoquis");
    const auto second = pdfprobe::word(pdf, "Jalapeños");
    QCOMPARE(first.page, 1);
    QCOMPARE(second.page, 1);
    QVERIFY(qAbs(first.xMin - 230 * kPointsX) < kTolerance);
    QVERIFY(qAbs(second.xMin - 230 * kPointsX) < kTolerance);
    QVERIFY(qAbs((second.yMin - first.yMin) - 45 * kPointsY) < kTolerance);
    QVERIFY(first.yMin > 600 * kPointsY && first.yMax < 700 * kPointsY);
    QCOMPARE(pdfprobe::word(pdf, "deslactosada").page, 0);
    // Quantities are right-aligned on x 160 with no decimals.
    const QList<pdfprobe::Word> all = pdfprobe::words(pdf);
    const auto quantity = std::find_if(all.begin(), all.end(), [&](const pdfprobe::Word& w) {
        return w.text == "2" && qAbs(w.yMax - first.yMax) < 2;
    });
    QVERIFY(quantity != all.end());
    QVERIFY(qAbs(quantity->xMax - 160 * kPointsX) < kTolerance);
    // Accented remarks and the fixed texts come through as written.
    QCOMPARE(pdfprobe::word(pdf, "¡Buen").page, 1);
    QCOMPARE(pdfprobe::word(pdf, "Núñez").page, 1);

    QCOMPARE(shop.scalar("select count(*) from factura_web_detalle where facw_id = 1001 and "
                         "fawd_impreso = 'S' and arti_cod in ('C001', 'C002')")
                 .toInt(),
             2);
}

QTEST_MAIN(TestTicketPdf)
#include "tst_ticket_pdf.moc"
