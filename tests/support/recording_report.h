#pragma once

#include <QStringList>

#include "engine/report.h"

// A report engine that draws nothing and records every call as one line of
// text, coordinates with four decimals: "PrintAt(1.5750,5.5000,HAMBURGUESA)".
// RunJob calls OnBeforePrint then OnPrint like the real engine; an exception
// from a callback leaves RunJob and the job is recorded as "AbortJob".
class RecordingReport : public engine::ReportSystem {
public:
    QStringList calls;
    QStringList printers;  // what Printers() answers
    double pageWidth = 3.15;
    double pageHeight = 11.0;
    int jobs = 0;
    QList<QImage> images;  // every picture handed to StretchImage

    void RunJob() override;
    QStringList Printers() override { return printers; }
    void SetAllowSetup(bool allow) override { allowSetup_ = allow; }
    bool AllowSetup() const override { return allowSetup_; }

    void SelectPrinter(int index) override;
    void SetPaperSize(double width, double height) override;
    void SetTitle(const QString& title) override;
    double PageWidth() const override { return pageWidth; }
    double PageHeight() const override { return pageHeight; }
    void SetPen(engine::PenStyle style, int width) override;
    void SetFont(const QString& face, int size) override;
    void PrintAt(double x, double y, const QString& text) override;
    void PrintRightAt(double x, double y, const QString& text) override;
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void StretchImage(double x1, double y1, double x2, double y2, const QImage& image) override;
    void NewPage() override;

    // Only the calls whose name is one of `names`, e.g. {"PrintAt", "NewPage"}.
    QStringList only(const QStringList& names) const;

private:
    bool allowSetup_ = true;
};
