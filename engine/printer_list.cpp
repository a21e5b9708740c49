#include "engine/printer_list.h"

#include <QPrinterInfo>

namespace engine {

SystemPrinters cupsPrinters() {
    return {QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName()};
}

const QStringList& PrinterList::names() {
    if (!loaded_) load();
    return names_;
}

int PrinterList::defaultIndex() {
    if (!loaded_) load();
    return defaultIndex_;
}

void PrinterList::load() {
    const SystemPrinters system = source_ ? source_() : SystemPrinters{};
    names_ = system.names;
    names_ << QString::fromLatin1(kPdfPrinterName);
    // Searched among the system's printers only: a CUPS queue that happens to
    // be called "PDF" is the system default, not the built-in printer.
    const auto found = system.defaultName.isEmpty() ? -1 : system.names.indexOf(system.defaultName);
    defaultIndex_ = found >= 0 ? static_cast<int>(found) : static_cast<int>(names_.size()) - 1;
    loaded_ = true;
}

}  // namespace engine
