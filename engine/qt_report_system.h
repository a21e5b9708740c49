#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "engine/printer_list.h"
#include "engine/report.h"

class QWidget;

namespace engine {

class StatusWindow;

// The report engine on Qt: every job is drawn with QPainter into a PDF at
// 1200 dpi, which then goes to a CUPS queue or, for the built-in "PDF"
// printer, becomes a file in the PDF folder. Failures of the engine itself
// throw PrintError; an exception from a callback leaves RunJob unchanged. In
// both cases, and when the job is cancelled, nothing is printed or written.
//
// Every job starts from the chosen printer's default paper (so does a
// SelectPrinter that changes the printer during the preparation), with a
// one-dot solid pen and Arial 10. Calls outside their phase of a job throw
// std::logic_error.
class QtReportSystem : public QObject, public ReportSystem {
    Q_OBJECT

public:
    explicit QtReportSystem(QObject* parent = nullptr);
    ~QtReportSystem() override;

    // Where the built-in "PDF" printer writes. Unset: $IMPCOMANDA_PDF_DIR, or
    // else "comandas" in the current directory, looked up at every job.
    void setPdfFolder(const QString& folder) { pdfFolder_ = folder; }
    QString pdfFolder() const;

    // Replaces the system's printer list (read again at its next use) and
    // returns the choice to the default printer.
    void setPrinterSource(PrinterList::Source source);

    // The window the status and setup dialogs belong to.
    void setDialogParent(QWidget* parent);

    // The index in Printers() that the next job prints on.
    int selectedPrinterIndex();

    // The status window while a job's pages are drawn, else null.
    StatusWindow* statusWindow() const;

    // The file the last job of the built-in PDF printer produced, else empty.
    QString lastPdfFile() const { return lastPdfFile_; }

    // ReportSystem
    void RunJob() override;
    QStringList Printers() override { return printers_.names(); }
    void SetAllowSetup(bool allow) override { allowSetup_ = allow; }
    bool AllowSetup() const override { return allowSetup_; }

    // Report
    void SelectPrinter(int index) override;
    void SetPaperSize(double width, double height) override;
    void SetTitle(const QString& title) override;
    double PageWidth() const override;
    double PageHeight() const override;
    void SetPen(PenStyle style, int width) override;
    void SetFont(const QString& face, int size) override;
    void PrintAt(double x, double y, const QString& text) override;
    void PrintRightAt(double x, double y, const QString& text) override;
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void StretchImage(double x1, double y1, double x2, double y2, const QImage& image) override;
    void NewPage() override;

signals:
    // A page is about to be drawn; the status window already shows it.
    void pageStarted(int page);

private:
    class Job;

    bool confirmSetup();
    void startDrawing();
    void finishJob();
    void cancel();
    Job& preparingJob(const char* operation) const;
    Job* drawingJob(const char* operation) const;
    void drawn();

    PrinterList printers_;
    std::optional<int> selected_;
    QString pdfFolder_;
    QPointer<QWidget> dialogParent_;
    bool allowSetup_ = true;
    QString lastPdfFile_;
    std::unique_ptr<Job> job_;
};

}  // namespace engine
