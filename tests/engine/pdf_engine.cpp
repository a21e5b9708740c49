#include "pdf_engine.h"

#include <QDir>

PdfEngine::PdfEngine() {
    report.setPrinterSource([] { return engine::SystemPrinters{}; });
    report.SetAllowSetup(false);
    report.setPdfFolder(folder.path());
}

QString PdfEngine::print(const Step& draw, double width, double height, const QString& title) {
    report.OnBeforePrint = [&](engine::Report& r) {
        r.SetPaperSize(width, height);
        r.SetTitle(title);
    };
    report.OnPrint = draw;
    report.RunJob();
    return report.lastPdfFile();
}

QStringList PdfEngine::files() const {
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
