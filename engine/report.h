#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

namespace engine {

enum class PenStyle { Solid, Dash, Dot, Clear };

// The drawing operations a ticket is made of. Coordinates are inches from the
// physical top-left corner of the sheet (unprintable margins included), y grows
// downwards; font sizes are points.
class Report {
public:
    virtual ~Report() = default;

    // Job preparation: only valid inside OnBeforePrint.
    virtual void SelectPrinter(int index) = 0;
    virtual void SetPaperSize(double width, double height) = 0;
    virtual void SetTitle(const QString& title) = 0;

    // Page drawing: only valid inside OnPrint.
    virtual double PageWidth() const = 0;
    virtual double PageHeight() const = 0;
    virtual void SetPen(PenStyle style, int width) = 0;
    virtual void SetFont(const QString& face, int size) = 0;
    virtual void PrintAt(double x, double y, const QString& text) = 0;
    virtual void PrintRightAt(double x, double y, const QString& text) = 0;
    virtual void MoveTo(double x, double y) = 0;
    virtual void LineTo(double x, double y) = 0;
    virtual void Rectangle(double x1, double y1, double x2, double y2) = 0;
    virtual void StretchImage(double x1, double y1, double x2, double y2, const QImage& image) = 0;
    virtual void NewPage() = 0;
};

// The engine component the window holds: it runs one job at a time and keeps
// the printer chosen by SelectPrinter for later jobs.
class ReportSystem : public Report {
public:
    // Called by RunJob, in this order, once per job. An exception thrown by
    // either ends the job with nothing printed and leaves RunJob with it.
    std::function<void(Report&)> OnBeforePrint;
    std::function<void(Report&)> OnPrint;

    // Runs one job and returns when it has ended (printed, cancelled from the
    // status window, or failed with an exception).
    virtual void RunJob() = 0;

    // The printer list SelectPrinter counts in: read at its first use, then reused.
    virtual QStringList Printers() = 0;

    // ssAllowSetup of SystemSetups: while set, a job may ask for printer and copies.
    virtual void SetAllowSetup(bool allow) = 0;
    virtual bool AllowSetup() const = 0;
};

}  // namespace engine
