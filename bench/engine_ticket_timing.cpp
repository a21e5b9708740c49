// How long a typical kitchen ticket takes to become a PDF: the median of
// several jobs, each a few dozen texts, some lines and boxes and a picture.
// Usage: engine_ticket_timing [jobs [folder]]
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

#include "engine/qt_report_system.h"

namespace {

void drawTicket(engine::Report& r, const QImage& logo) {
    r.SetPen(engine::PenStyle::Solid, 4);
    r.StretchImage(0.6, 0.1, 2.6, 0.9, logo);
    r.Rectangle(0.1, 1.0, 3.05, 2.2);
    r.SetFont("Arial", 14);
    r.PrintAt(0.2, 1.3, "COMANDA 57");
    r.SetFont("Arial", 9);
    const char* labels[] = {"Mesa", "Mesero", "Fecha", "Hora", "Pedido", "Cola"};
    for (int i = 0; i < 6; ++i) {
        r.PrintAt(0.2, 1.5 + i * 0.11, labels[i]);
        r.PrintRightAt(3.0, 1.5 + i * 0.11, "valor " + QString::number(i));
    }
    r.MoveTo(0.1, 2.3);
    r.LineTo(3.05, 2.3);
    r.SetFont("Courier New", 10);
    for (int i = 0; i < 12; ++i) {
        const double y = 2.5 + i * 0.18;
        r.PrintRightAt(0.5, y, QString::number(i % 3 + 1));
        r.PrintAt(0.6, y, "HAMBURGUESA ESPECIAL " + QString::number(i));
        r.PrintRightAt(3.0, y, QString::number(12500 + i * 100));
    }
    r.MoveTo(0.1, 4.8);
    r.LineTo(3.05, 4.8);
    r.SetFont("Arial", 12);
    r.PrintAt(0.2, 5.0, "TOTAL");
    r.PrintRightAt(3.0, 5.0, "162.600");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QImage logo(240, 96, QImage::Format_RGB32);
    logo.fill(Qt::white);
    for (int y = 20; y < 76; ++y) {
        for (int x = 20; x < 220; ++x)
            logo.setPixel(x, y, (x / 8 + y / 8) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }

    engine::QtReportSystem report;
    report.setPrinterSource([] { return engine::SystemPrinters{}; });
    report.SetAllowSetup(false);
    report.setPdfFolder(argc > 2 ? QString(argv[2])
                                 : folder.path());  // a folder given keeps the files
    report.OnBeforePrint = [](engine::Report& r) {
        r.SetPaperSize(3.15, 11);
        r.SetTitle("Impresion comanda 57");
    };
    report.OnPrint = [&](engine::Report& r) { drawTicket(r, logo); };

    const int runs = argc > 1 ? QString(argv[1]).toInt() : 21;
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        report.RunJob();
        ms << clock.nsecsElapsed() / 1e6;
    }
    const double first = ms.first();
    std::sort(ms.begin(), ms.end());
    QTextStream(stdout) << QString("jobs %1, first %2 ms, median %3 ms, min %4 ms, max %5 ms\n")
                               .arg(runs)
                               .arg(first, 0, 'f', 1)
                               .arg(ms[ms.size() / 2], 0, 'f', 1)
                               .arg(ms.first(), 0, 'f', 1)
                               .arg(ms.last(), 0, 'f', 1);
    return 0;
}
