#pragma once

#include <QString>
#include <QStringList>

namespace engine {

// A drawn PDF on its way to a CUPS queue, with the options the driver needs.
struct CupsJob {
    QString printer;
    QString title;
    QString media;  // the page size's CUPS name, e.g. "Custom.80x76.2mm"
    int copies = 1;
    bool collate = false;
    QString sides;        // "one-sided", "two-sided-long-edge"...
    QStringList options;  // further option names and values, alternating
};

// Hands the file to the queue with lp and returns its request id
// ("Cocina-12"). Throws PrintError with CUPS's own reason when the queue
// refuses the job.
QString submitToCups(const CupsJob& job, const QString& pdfPath);

}  // namespace engine
