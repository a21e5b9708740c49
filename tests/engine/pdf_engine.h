#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "engine/qt_report_system.h"

// The Qt engine as the tests use it: only the built-in PDF printer (whatever
// CUPS has), no setup dialog, and its own empty PDF folder.
class PdfEngine {
public:
    using Step = std::function<void(engine::Report&)>;

    PdfEngine();

    // Runs one job on paper of width × height inches and returns the file it
    // wrote (empty if none).
    QString print(const Step& draw, double width = 3.15, double height = 11.0,
                  const QString& title = "prueba");

    // Every file in the PDF folder, hidden ones included.
    QStringList files() const;

    QTemporaryDir folder;
    engine::QtReportSystem report;
};
