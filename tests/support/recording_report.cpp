#include "recording_report.h"

namespace {
QString num(double v) {
    return QString::number(v, 'f', 4);
}
QString xy(double x, double y) {
    return num(x) + "," + num(y);
}
}  // namespace

void RecordingReport::RunJob() {
    ++jobs;
    calls << "RunJob";
    try {
        if (OnBeforePrint) OnBeforePrint(*this);
        if (OnPrint) OnPrint(*this);
    } catch (...) {
        calls << "AbortJob";
        throw;
    }
    calls << "EndJob";
}

void RecordingReport::SelectPrinter(int index) {
    calls << QString("SelectPrinter(%1)").arg(index);
}
void RecordingReport::SetPaperSize(double w, double h) {
    calls << "SetPaperSize(" + xy(w, h) + ")";
}
void RecordingReport::SetTitle(const QString& t) {
    calls << "SetTitle(" + t + ")";
}
void RecordingReport::SetPen(engine::PenStyle s, int w) {
    calls << QString("SetPen(%1,%2)").arg(int(s)).arg(w);
}
void RecordingReport::SetFont(const QString& f, int size) {
    calls << QString("SetFont(%1,%2)").arg(f).arg(size);
}
void RecordingReport::PrintAt(double x, double y, const QString& t) {
    calls << "PrintAt(" + xy(x, y) + "," + t + ")";
}
void RecordingReport::PrintRightAt(double x, double y, const QString& t) {
    calls << "PrintRightAt(" + xy(x, y) + "," + t + ")";
}
void RecordingReport::MoveTo(double x, double y) {
    calls << "MoveTo(" + xy(x, y) + ")";
}
void RecordingReport::LineTo(double x, double y) {
    calls << "LineTo(" + xy(x, y) + ")";
}
void RecordingReport::Rectangle(double x1, double y1, double x2, double y2) {
    calls << "Rectangle(" + xy(x1, y1) + "," + xy(x2, y2) + ")";
}
void RecordingReport::StretchImage(double x1, double y1, double x2, double y2, const QImage& img) {
    images << img;
    calls << QString("StretchImage(%1,%2,%3x%4)")
                 .arg(xy(x1, y1), xy(x2, y2))
                 .arg(img.width())
                 .arg(img.height());
}
void RecordingReport::NewPage() {
    calls << "NewPage";
}

QStringList RecordingReport::only(const QStringList& names) const {
    QStringList out;
    for (const QString& c : calls) {
        const QString head = c.section('(', 0, 0);
        if (names.contains(head)) out << c;
    }
    return out;
}
