#include "engine/qt_report_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QWidget>
#include <algorithm>
#include <stdexcept>
#include <string>

#include "engine/cups_job.h"
#include "engine/paper.h"
#include "engine/pdf_file.h"
#include "engine/print_error.h"
#include "engine/status_window.h"

namespace engine {

namespace {

// Where Qt's print dialog leaves the CUPS options the user picked (a private
// key of Qt's CUPS support); they travel with the job to lp.
const auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

std::unique_ptr<QPrinter> makeDriver(const QString& name, bool builtInPdf) {
    std::unique_ptr<QPrinter> printer;
    if (builtInPdf) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        if (info.isNull()) {
            throw PrintError(QStringLiteral("La impresora \"%1\" no está disponible").arg(name));
        }
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    printer->setFullPage(true);
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setCopyCount(1);
    return printer;
}

// The PDF the pages are drawn into: the driver's paper, no margins.
std::unique_ptr<QPrinter> makeOutput(const QPrinter& driver, const QString& path,
                                     const QString& title) {
    auto output = std::make_unique<QPrinter>(QPrinter::HighResolution);
    output->setOutputFormat(QPrinter::PdfFormat);
    output->setOutputFileName(path);
    output->setPageLayout(
        QPageLayout(driver.pageLayout().pageSize(), QPageLayout::Portrait, QMarginsF()));
    output->setFullPage(true);
    output->setDocName(title);
    output->setCreator(QStringLiteral("Impresión comandas"));
    return output;
}

QString sidesOf(QPrinter::DuplexMode duplex) {
    switch (duplex) {
        case QPrinter::DuplexAuto:
        case QPrinter::DuplexLongSide:
            return QStringLiteral("two-sided-long-edge");
        case QPrinter::DuplexShortSide:
            return QStringLiteral("two-sided-short-edge");
        case QPrinter::DuplexNone:
            break;
    }
    return QStringLiteral("one-sided");
}

Qt::PenStyle qtPenStyle(PenStyle style) {
    switch (style) {
        case PenStyle::Dash:
            return Qt::DashLine;
        case PenStyle::Dot:
            return Qt::DotLine;
        case PenStyle::Clear:
            return Qt::NoPen;
        case PenStyle::Solid:
            break;
    }
    return Qt::SolidLine;
}

// Pictures hide what lies beneath them, transparent parts included.
QImage opaque(const QImage& image) {
    if (!image.hasAlphaChannel()) return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

std::logic_error misuse(const char* operation, const char* when) {
    return std::logic_error(std::string(operation) + ": solo " + when);
}

}  // namespace

// One job: the printer it goes to, the PDF its pages are drawn into and the
// status window. Destroyed before it was delivered, it leaves nothing behind.
class QtReportSystem::Job {
public:
    enum class Phase { Preparing, Drawing };

    Job(int index, QString name, bool pdf)
        : printerIndex(index), printerName(std::move(name)), builtInPdf(pdf) {}

    ~Job() {
        delete status.data();
        if (painter.isActive()) painter.end();
    }

    // The printer's own settings: paper, resolution, the setup dialog's
    // choices. Made at first need, so a job that selects another printer
    // never touches the one it started with.
    QPrinter& driver() {
        if (!driver_) {
            driver_ = makeDriver(printerName, builtInPdf);
            driver_->setDocName(title);
        }
        return *driver_;
    }

    void usePrinter(int index, const QString& name, bool pdf) {
        printerIndex = index;
        printerName = name;
        builtInPdf = pdf;
        driver_.reset();
    }

    void setTitle(const QString& text) {
        title = text;
        if (driver_) driver_->setDocName(text);
    }

    void setPaper(double width, double height) {
        const QPageSize size = customPaper(width, height);
        if (!size.isValid()) return;
        const QPageLayout before = driver().pageLayout();
        if (!driver().setPageSize(size)) driver().setPageLayout(before);
    }

    QRectF sheetInches() { return (output ? *output : driver()).paperRect(QPrinter::Inch); }

    void beginDrawing(const QString& pdfFolder) {
        QPrinter& settings = driver();
        file = std::make_unique<PdfFile>(builtInPdf ? pdfFolder : QDir::tempPath());
        output = makeOutput(settings, file->path(), title);
        if (!painter.begin(output.get())) {
            throw PrintError(
                QStringLiteral("No se pudo empezar el trabajo \"%1\" de la impresora \"%2\"")
                    .arg(title, printerName));
        }
        dpi = output->resolution();
        dotSize = dpi / std::max(1, settings.resolution());
        setPen(PenStyle::Solid, 1);
        font = QFont(QStringLiteral("Arial"), 10);
        painter.setFont(font);
        phase = Phase::Drawing;
    }

    void nextPage() {
        if (!output->newPage()) {
            throw PrintError(
                QStringLiteral("No se pudo empezar otra página del trabajo \"%1\"").arg(title));
        }
        painter.setFont(font);
    }

    // Hands the drawn pages to the printer or the PDF folder; returns the
    // file written by the built-in PDF printer.
    QString deliver() {
        if (!painter.end()) {
            throw PrintError(
                QStringLiteral("No se pudo terminar el trabajo \"%1\" de la impresora \"%2\"")
                    .arg(title, printerName));
        }
        file->checkWritten();
        if (builtInPdf) return file->publish(title);
        submitToCups(cupsJob(), file->path());
        return {};
    }

    void setPen(PenStyle style, int width) {
        linePen = QPen(QBrush(Qt::black), std::max(width, 1) * dotSize, qtPenStyle(style),
                       Qt::SquareCap, Qt::MiterJoin);
    }

    void setFont(const QString& face, int size) {
        if (size <= 0) return;
        font = QFont(face, size, QFont::Normal, false);
        painter.setFont(font);
    }

    void printAt(double x, double y, const QString& text) { drawText(at(x, y), text); }

    void printRightAt(double x, double y, const QString& text) {
        const qreal width = QFontMetricsF(font, output.get()).horizontalAdvance(text);
        drawText(at(x, y) - QPointF(width, 0), text);
    }

    void moveTo(double x, double y) { current = at(x, y); }

    void lineTo(double x, double y) {
        const QPointF to = at(x, y);
        painter.setPen(linePen);
        painter.drawLine(current, to);
        current = to;
    }

    void rectangle(double x1, double y1, double x2, double y2) {
        painter.setPen(linePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(at(x1, y1), at(x2, y2)).normalized());
    }

    void stretchImage(double x1, double y1, double x2, double y2, const QImage& image) {
        if (image.isNull()) return;
        const QImage shown = opaque(image).mirrored(x2 < x1, y2 < y1);
        painter.drawImage(QRectF(at(x1, y1), at(x2, y2)).normalized(), shown);
    }

    Phase phase = Phase::Preparing;
    int printerIndex;
    QString printerName;
    bool builtInPdf;
    QString title;
    bool cancelled = false;
    int page = 0;

    // Declared in the order they must go: the painter closes the PDF before
    // the temporary file is removed.
    std::unique_ptr<PdfFile> file;
    std::unique_ptr<QPrinter> output;
    QPainter painter;
    QPointer<StatusWindow> status;  // also owned by its parent window, if any

private:
    QPointF at(double x, double y) const { return {x * dpi, y * dpi}; }

    void drawText(const QPointF& baselineStart, const QString& text) {
        painter.setPen(QPen(Qt::black));
        painter.drawText(baselineStart, text);
    }

    CupsJob cupsJob() {
        QPrinter& settings = driver();
        CupsJob job;
        job.printer = settings.printerName();
        job.title = title;
        job.media = settings.pageLayout().pageSize().key();
        job.copies = std::max(1, settings.copyCount());
        job.collate = settings.collateCopies();
        job.sides = sidesOf(settings.duplex());
        job.options = settings.printEngine()->property(kCupsOptionsKey).toStringList();
        return job;
    }

    std::unique_ptr<QPrinter> driver_;
    double dpi = 1200;
    double dotSize = 1;  // one printer dot in PDF device units
    QPen linePen;
    QFont font;
    QPointF current;
};

QtReportSystem::QtReportSystem(QObject* parent) : QObject(parent) {}

QtReportSystem::~QtReportSystem() = default;

void QtReportSystem::setDialogParent(QWidget* parent) {
    dialogParent_ = parent;
}

QString QtReportSystem::pdfFolder() const {
    if (!pdfFolder_.isEmpty()) return pdfFolder_;
    const QString fromEnvironment = qEnvironmentVariable("IMPCOMANDA_PDF_DIR");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return QDir::current().absoluteFilePath(QStringLiteral("comandas"));
}

void QtReportSystem::setPrinterSource(PrinterList::Source source) {
    printers_ = PrinterList(std::move(source));
    selected_.reset();
}

int QtReportSystem::selectedPrinterIndex() {
    if (!selected_) selected_ = printers_.defaultIndex();
    return *selected_;
}

StatusWindow* QtReportSystem::statusWindow() const {
    return job_ ? job_->status.data() : nullptr;
}

void QtReportSystem::RunJob() {
    if (job_) throw std::logic_error("RunJob: ya hay un trabajo en curso");
    lastPdfFile_.clear();
    const int index = selectedPrinterIndex();
    job_ = std::make_unique<Job>(index, printers_.names().at(index), printers_.isPdf(index));
    const auto endJob = qScopeGuard([this] { job_.reset(); });

    if (OnBeforePrint) OnBeforePrint(*this);
    if (!confirmSetup()) return;
    startDrawing();
    if (OnPrint) OnPrint(*this);
    finishJob();
}

// Printer and copies, for a system printer; the PDF file has nothing to set.
bool QtReportSystem::confirmSetup() {
    if (!allowSetup_ || job_->builtInPdf) return true;
    QPrintDialog dialog(&job_->driver(), dialogParent_);
    dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies);
    return dialog.exec() == QDialog::Accepted;
}

void QtReportSystem::startDrawing() {
    job_->beginDrawing(pdfFolder());
    job_->status = new StatusWindow(dialogParent_);
    connect(job_->status, &StatusWindow::cancelRequested, this, &QtReportSystem::cancel);
    job_->status->show();
    job_->page = 1;
    emit pageStarted(1);
    drawn();
}

void QtReportSystem::finishJob() {
    if (job_->status) job_->status->hide();
    if (job_->cancelled) return;
    lastPdfFile_ = job_->deliver();
}

void QtReportSystem::cancel() {
    if (job_) job_->cancelled = true;
}

QtReportSystem::Job& QtReportSystem::preparingJob(const char* operation) const {
    if (!job_ || job_->phase != Job::Phase::Preparing) {
        throw misuse(operation, "antes de dibujar un trabajo (OnBeforePrint)");
    }
    return *job_;
}

// Null once the job was cancelled: its remaining drawing goes nowhere.
QtReportSystem::Job* QtReportSystem::drawingJob(const char* operation) const {
    if (!job_ || job_->phase != Job::Phase::Drawing) {
        throw misuse(operation, "mientras se dibujan las páginas (OnPrint)");
    }
    return job_->cancelled ? nullptr : job_.get();
}

// Keeps the window and the status window alive while a job draws.
void QtReportSystem::drawn() {
    QCoreApplication::processEvents();
}

void QtReportSystem::SelectPrinter(int index) {
    if (index < -1 || (index >= 0 && !printers_.contains(index))) return;
    if (job_ && job_->phase == Job::Phase::Drawing) {
        throw misuse("SelectPrinter", "antes de dibujar un trabajo");
    }
    const int chosen = index == -1 ? printers_.defaultIndex() : index;
    selected_ = chosen;
    if (job_ && job_->printerIndex != chosen) {
        job_->usePrinter(chosen, printers_.names().at(chosen), printers_.isPdf(chosen));
    }
}

void QtReportSystem::SetPaperSize(double width, double height) {
    preparingJob("SetPaperSize").setPaper(width, height);
}

void QtReportSystem::SetTitle(const QString& title) {
    preparingJob("SetTitle").setTitle(title);
}

double QtReportSystem::PageWidth() const {
    if (!job_) throw misuse("PageWidth", "durante un trabajo");
    return job_->sheetInches().width();
}

double QtReportSystem::PageHeight() const {
    if (!job_) throw misuse("PageHeight", "durante un trabajo");
    return job_->sheetInches().height();
}

void QtReportSystem::SetPen(PenStyle style, int width) {
    if (Job* job = drawingJob("SetPen")) job->setPen(style, width);
    drawn();
}

void QtReportSystem::SetFont(const QString& face, int size) {
    if (Job* job = drawingJob("SetFont")) job->setFont(face, size);
    drawn();
}

void QtReportSystem::PrintAt(double x, double y, const QString& text) {
    if (Job* job = drawingJob("PrintAt")) job->printAt(x, y, text);
    drawn();
}

void QtReportSystem::PrintRightAt(double x, double y, const QString& text) {
    if (Job* job = drawingJob("PrintRightAt")) job->printRightAt(x, y, text);
    drawn();
}

void QtReportSystem::MoveTo(double x, double y) {
    if (Job* job = drawingJob("MoveTo")) job->moveTo(x, y);
    drawn();
}

void QtReportSystem::LineTo(double x, double y) {
    if (Job* job = drawingJob("LineTo")) job->lineTo(x, y);
    drawn();
}

void QtReportSystem::Rectangle(double x1, double y1, double x2, double y2) {
    if (Job* job = drawingJob("Rectangle")) job->rectangle(x1, y1, x2, y2);
    drawn();
}

void QtReportSystem::StretchImage(double x1, double y1, double x2, double y2, const QImage& image) {
    if (Job* job = drawingJob("StretchImage")) job->stretchImage(x1, y1, x2, y2, image);
    drawn();
}

void QtReportSystem::NewPage() {
    Job* job = drawingJob("NewPage");
    if (!job) return drawn();
    job->nextPage();
    job->page += 1;
    if (job->status) job->status->showPage(job->page);
    emit pageStarted(job->page);
    drawn();
}

}  // namespace engine
