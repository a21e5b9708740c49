#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace engine {

// The printer that writes each job as a PDF file; always last in the list.
inline constexpr auto kPdfPrinterName = "PDF";

// What the system reports: its printers in its own order and its default one
// (empty when it has none).
struct SystemPrinters {
    QStringList names;
    QString defaultName;
};

// The CUPS printers, as Qt sees them.
SystemPrinters cupsPrinters();

// The list SelectPrinter counts in: the system's printers followed by the
// built-in PDF printer. Read from its source at first use, then reused, so a
// printer added while the program runs is not in it.
class PrinterList {
public:
    using Source = std::function<SystemPrinters()>;

    explicit PrinterList(Source source = cupsPrinters) : source_(std::move(source)) {}

    const QStringList& names();
    // The system default printer, or the built-in PDF printer when there is none.
    int defaultIndex();
    int pdfIndex() { return static_cast<int>(names().size()) - 1; }
    bool isPdf(int index) { return index == pdfIndex(); }
    bool contains(int index) { return index >= 0 && index < names().size(); }

private:
    void load();

    Source source_;
    bool loaded_ = false;
    QStringList names_;
    int defaultIndex_ = 0;
};

}  // namespace engine
